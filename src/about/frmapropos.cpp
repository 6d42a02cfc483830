#include "about/frmapropos.h"

#include "about/registry.h"
#include "about/sysinfo.h"
#include "common/controlname.h"
#include "common/focusring.h"
#include "common/messagebox.h"
#include "common/owndialog.h"
#include "common/picturebox.h"
#include "common/strings.h"
#include "common/textfile.h"
#include "common/userscale.h"

#include <QFileInfo>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QtEndian>

namespace {

// Size of the client area in twips.
constexpr int ClientWidth = 4515;
constexpr int ClientHeight = 3045;

// Where the registry names the system-information tool: the tool's full path, or its folder.
const QString ToolKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
const QString ToolValue = QStringLiteral("PATH");
const QString ToolFolderKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");
const QString ToolFolderValue = QStringLiteral("MSINFO");
const QString ToolFileName = QStringLiteral("MSINFO32.EXE");

const QString NotAvailable = QStringLiteral("Les informations systèmes ne sont pas disponible actuellement!");

} // namespace

frmApropos::frmApropos(QWidget *mainWindow)
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_mainWindow(mainWindow)
{
    setUpOwnDialog(this, QStringLiteral("frmApropos"), QStringLiteral("A propos de ..."),
                   QStringLiteral("À propos de Frappin"), QStringLiteral(":/pictures/apropos_icone.svg"),
                   {Scale::px(ClientWidth), Scale::px(ClientHeight)});
    createControls();
    Form_Load();
}

void frmApropos::createControls()
{
    picIcon = named(new PictureBox(this), "picIcon", QStringLiteral("Une personne travaille à l'ordinateur"));
    picIcon->setGeometry(Scale::twipsRect(90, 135, 1410, 1200));
    picIcon->setSvg(QStringLiteral(":/pictures/apropos_image.svg"));

    // The labels have no accessible name of their own: a screen reader reads their texts, and their
    // descriptions say what each one is.
    lblTitle = named(new QLabel(QStringLiteral("Application Title"), this), "lblTitle");
    lblTitle->setAccessibleDescription(QStringLiteral("Nom du programme et version"));
    lblTitle->setGeometry(Scale::twipsRect(1560, 135, 2850, 255));
    QPalette black = lblTitle->palette();
    black.setColor(QPalette::WindowText, Qt::black);
    lblTitle->setPalette(black);

    lblVersion = named(new QLabel(QStringLiteral("Version"), this), "lblVersion");
    lblVersion->setAccessibleDescription(QStringLiteral("Auteur"));
    lblVersion->setGeometry(Scale::twipsRect(1575, 360, 2850, 225));

    lblDescription = named(new QLabel(this), "lblDescription");
    lblDescription->setAccessibleDescription(QStringLiteral("Description du programme et contact"));
    lblDescription->setGeometry(Scale::twipsRect(1530, 675, 2895, 1830));
    lblDescription->setFrameShape(QFrame::Box);
    lblDescription->setLineWidth(1);
    lblDescription->setWordWrap(true);
    lblDescription->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QPalette blue = lblDescription->palette();
    blue.setColor(QPalette::WindowText, QColor(0, 0, 255));
    lblDescription->setPalette(blue);

    cmdSysInfo = named(new QPushButton(QStringLiteral("&System Info..."), this), "cmdSysInfo",
                       QStringLiteral("Informations système"));
    cmdSysInfo->setGeometry(Scale::twipsRect(1890, 2610, 1245, 345));
    cmdSysInfo->setAutoDefault(false);
    showFocusClearly(cmdSysInfo);
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmApropos::cmdSysInfo_Click);

    cmdOK = named(new QPushButton(QStringLiteral("OK"), this), "cmdOK", QStringLiteral("OK, fermer"));
    cmdOK->setGeometry(Scale::twipsRect(3180, 2610, 1260, 345));
    cmdOK->setDefault(true);
    showFocusClearly(cmdOK);
    connect(cmdOK, &QPushButton::clicked, this, &frmApropos::cmdOK_Click);

    // Tab order: cmdOK, then cmdSysInfo; the picture and the labels take no focus.
    setTabOrder(cmdOK, cmdSysInfo);
    cmdOK->setFocus();
}

void frmApropos::Form_Load()
{
    centreOverMainWindow();
    setWindowTitle(Texts::ApplicationTitle);
    lblVersion->setText(QStringLiteral("Écrit par Divod Ivodedod"));
    lblTitle->setText(QStringLiteral("%1 v%2.%3.%4")
                          .arg(Texts::ApplicationTitle)
                          .arg(Texts::VersionMajor)
                          .arg(Texts::VersionMinor)
                          .arg(Texts::VersionRevision));
    const QStringList contact = {
        QStringLiteral("École des Tilleuls"),
        QStringLiteral("1 rue des Écoliers"),
        QStringLiteral("00000 Villeneuve"),
        QStringLiteral("Tél. : 00 00 00 00 00"),
        QStringLiteral("Courriel : frappin@example.org"),
    };
    lblDescription->setText(QStringLiteral("Progrmmes d 'aide pédagogique pour Divod ivodedod.\n\n") +
                            contact.join(u'\n'));
}

void frmApropos::centreOverMainWindow()
{
    if (!m_mainWindow)
        return;
    const QRect main = m_mainWindow->frameGeometry();
    const QRect box = frameGeometry();
    const float left =
        static_cast<float>(main.left()) + static_cast<float>(main.width() - box.width()) / 2.0f;
    const float top =
        static_cast<float>(main.top()) + static_cast<float>(main.height() - box.height()) / 2.0f;
    move(qRound(left), qRound(top));
}

void frmApropos::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    centreOverMainWindow();
}

void frmApropos::keyPressEvent(QKeyEvent *event)
{
    // OK is also the cancel button: Escape acts as a click on it.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        cmdOK->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmApropos::cmdOK_Click()
{
    close();
}

void frmApropos::cmdSysInfo_Click()
{
    StartSysInfo();
}

void frmApropos::StartSysInfo()
{
    try {
        QString tool;
        if (GetKeyValue(Registry::LocalMachine, ToolKey, ToolValue, tool)) {
            // The registry names the tool itself: no other place is tried, even when it does not start.
            if (launchProgram(tool))
                return;
        } else {
            bool started = false;
            bool tried = false;
            if (GetKeyValue(Registry::LocalMachine, ToolFolderKey, ToolFolderValue, tool)) {
                const QString path = tool + u'/' + ToolFileName;
                if (QFileInfo(path).isFile()) {
                    tried = true;
                    started = launchProgram(path);
                }
            }
            if (!tried) {
                const QString program = findSystemInfoProgram();
                if (!program.isEmpty())
                    started = launchProgram(program);
            }
            if (started)
                return;
        }
    } catch (const Registry::Error &) {
        // Falls through to the message, like every other failure to start the tool.
    }
    showMessage(NotAvailable, Texts::ApplicationTitle, MsgButtons::Ok, MsgIcon::None, this);
}

bool frmApropos::GetKeyValue(quint32 KeyRoot, const QString &KeyName, const QString &SubKeyRef,
                             QString &KeyVal)
{
    Registry::Handle key = 0;
    if (Registry::openKey(KeyRoot, KeyName, Registry::AllAccess, key) != Registry::Success) {
        KeyVal.clear();
        Registry::closeKey(key);
        return false;
    }

    QByteArray buffer(1024, '\0');
    quint32 size = 1024;
    quint32 type = 0;
    if (Registry::queryValue(key, SubKeyRef, type, buffer, size) != Registry::Success) {
        KeyVal.clear();
        Registry::closeKey(key);
        return false;
    }

    const std::optional<QByteArray> kept = Registry::trimToSize(buffer, size);
    if (!kept) {
        Registry::closeKey(key);
        throw Registry::Error("registry value of size 0");
    }

    switch (type) {
    case Registry::TypeText:
        KeyVal = decodeWindows1252(*kept);
        break;
    case Registry::TypeNumber:
        // The number's four bytes, least significant first.
        KeyVal = QStringLiteral("&h") +
                 QString::number(qFromLittleEndian<quint32>(buffer.constData()), 16).toUpper();
        break;
    default:
        break;
    }
    Registry::closeKey(key);
    return true;
}
