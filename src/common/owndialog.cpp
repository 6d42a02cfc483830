#include "common/owndialog.h"

#include "common/dialogfont.h"

#include <QDialog>
#include <QIcon>

void setUpOwnDialog(QDialog *dialog, const QString &objectName, const QString &title,
                    const QString &accessibleName, const QString &icon, QSize size)
{
    dialog->setObjectName(objectName);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAttribute(Qt::WA_QuitOnClose, false);
    dialog->setProperty(OwnDialogProperty, true);
    dialog->setWindowTitle(title);
    dialog->setWindowIcon(QIcon(icon));
    dialog->setFont(dialogFont());
    dialog->setFixedSize(size);
    dialog->setAccessibleName(accessibleName);
}

bool isOwnDialog(const QWidget *widget)
{
    // A message box that one of the dialogs opened (the editor's save question) belongs to that dialog.
    for (; widget; widget = widget->parentWidget()) {
        if (widget->property(OwnDialogProperty).toBool())
            return true;
    }
    return false;
}
