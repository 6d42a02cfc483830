// frappin-classe: the teacher's window beside Frappin.

#include "classwindow.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <csignal>

int main(int argc, char *argv[])
{
    // A file-size limit makes a write fail, which is told, instead of ending the window.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("frappin"));
    QApplication::setApplicationName(QStringLiteral("frappin-classe"));
    QApplication::setDesktopFileName(QStringLiteral("org.frappin.classe"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/pictures/classe.svg")));
    QTranslator qtTranslations;
    if (qtTranslations.load(QLocale(QLocale::French), QStringLiteral("qtbase"), QStringLiteral("_"),
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslations);
    ClassWindow window;
    window.show();
    return QApplication::exec();
}
