#pragma once

// What the program's own dialogs (settings, word-list editor, About box) share: they are destroyed when
// closed and opened anew, never keep the program alive on their own, use the dialog font, and carry a mark
// by which the main window knows, when it takes the focus back, that it comes from one of them.

#include <QSize>
#include <QString>

class QDialog;
class QWidget;

inline constexpr const char *OwnDialogProperty = "frappinOwnDialog";

// Sets up dialog as one of the program's own, with its object name, title, accessible name, icon resource and
// fixed client size in logical pixels.
void setUpOwnDialog(QDialog *dialog, const QString &objectName, const QString &title,
                    const QString &accessibleName, const QString &icon, QSize size);

bool isOwnDialog(const QWidget *widget);
