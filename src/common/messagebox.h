#pragma once

// The program's one way of asking or telling the user something in a modal box.
//
// The text's lines are separated by a carriage return (\r), as the messages are written; the box shows each
// on its own line. Tests install a handler that receives the request instead of a box and gives the answer.

#include <QString>

#include <functional>

class QWidget;

enum class MsgButtons { Ok, YesNo };
enum class MsgIcon { None, Exclamation };
enum class MsgAnswer { Ok, Yes, No };

struct MessageRequest {
    QString text;
    QString title;
    MsgButtons buttons = MsgButtons::Ok;
    MsgIcon icon = MsgIcon::None;
};

// Shows the box and returns the button pressed. With Yes and No, Yes is the default button; closing the box
// without a button counts as No (or OK).
MsgAnswer showMessage(const QString &text, const QString &title, MsgButtons buttons = MsgButtons::Ok,
                      MsgIcon icon = MsgIcon::None, QWidget *parent = nullptr);

using MessageHandler = std::function<MsgAnswer(const MessageRequest &)>;
// Replaces the boxes by a handler; an empty handler brings the boxes back.
void setMessageHandlerForTests(MessageHandler handler);
