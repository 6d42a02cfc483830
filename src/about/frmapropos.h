#pragma once

// The About box: the program's title and version, its author, a short description with the school's contact
// lines, and a button that starts a system-information tool.
//
// The box has no owner, so that the main window stays usable, but it places itself over the main window it
// is given: when it loads and at each change of its size (its first display included). Moving the main window
// afterwards does not move it. It is destroyed when closed; each opening builds it anew.

#include <QDialog>
#include <QPointer>

class PictureBox;
class QLabel;
class QPushButton;

class frmApropos : public QDialog {
    Q_OBJECT
public:
    // mainWindow is the window to centre over; it is not the box's parent.
    explicit frmApropos(QWidget *mainWindow = nullptr);

    void cmdOK_Click();
    void cmdSysInfo_Click();

    // Starts the system-information tool named by the registry, else the first system-information program
    // found on the PATH; says that none is available when that fails.
    void StartSysInfo();

    // Reads the value SubKeyRef of the key KeyName under KeyRoot into KeyVal. Returns false, with KeyVal
    // emptied, when the key does not open with all rights or has no such value. A text value gives its text,
    // a 32-bit number "&h" and its hexadecimal digits; a value of another type leaves KeyVal as it was. A
    // value of size 0 raises Registry::Error.
    static bool GetKeyValue(quint32 KeyRoot, const QString &KeyName, const QString &SubKeyRef,
                            QString &KeyVal);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void createControls();
    void Form_Load();
    void centreOverMainWindow();

    QPointer<QWidget> m_mainWindow;

    PictureBox *picIcon = nullptr;
    QLabel *lblTitle = nullptr;
    QLabel *lblVersion = nullptr;
    QLabel *lblDescription = nullptr;
    QPushButton *cmdSysInfo = nullptr;
    QPushButton *cmdOK = nullptr;
};
