#include "common/appstyle.h"
#include "exercise/frmmain.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <csignal>

int main(int argc, char *argv[])
{
    // A file-size limit set by the administrator must make a write fail, which the program reports, rather
    // than end the program and lose what the teacher typed.
    std::signal(SIGXFSZ, SIG_IGN);
    // A Wayland session of GNOME has an X server too: there the desktop draws the frame of the fixed window
    // as under X11, a close box and nothing else, whereas Qt's own Wayland frame always offers to minimise
    // and maximise. Wayland alone serves where no X server is; QT_QPA_PLATFORM still decides when set.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb;wayland");
    QApplication app(argc, argv);
    useApplicationStyle();
    QApplication::setOrganizationName(QStringLiteral("frappin"));
    QApplication::setApplicationName(QStringLiteral("Frappin"));
    // The menu entry's name: the Wayland application id, which docks match to the entry. On X11 they match
    // the window class, which Qt takes from the application name; the entry's StartupWMClass says it.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.frappin.frappin"));

    // Standard buttons and context menus in French.
    QTranslator qtTranslations;
    if (qtTranslations.load(QLocale(QLocale::French), QStringLiteral("qtbase"), QStringLiteral("_"),
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslations);

    frmMain window;
    window.show();
    return QApplication::exec();
}
