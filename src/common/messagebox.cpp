#include "common/messagebox.h"

#include <QApplication>
#include <QMessageBox>

namespace {
MessageHandler handlerOverride;
}

MsgAnswer showMessage(const QString &text, const QString &title, MsgButtons buttons, MsgIcon icon,
                      QWidget *parent)
{
    const MessageRequest request{text, title, buttons, icon};
    if (handlerOverride)
        return handlerOverride(request);

    QMessageBox box(parent ? parent : QApplication::activeWindow());
    box.setWindowTitle(title);
    box.setText(QString(text).replace(u'\r', u'\n'));
    switch (icon) {
    case MsgIcon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case MsgIcon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    }
    if (buttons == MsgButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    const int pressed = box.exec();
    if (buttons == MsgButtons::YesNo)
        return pressed == QMessageBox::Yes ? MsgAnswer::Yes : MsgAnswer::No;
    return MsgAnswer::Ok;
}

void setMessageHandlerForTests(MessageHandler handler)
{
    handlerOverride = std::move(handler);
}
