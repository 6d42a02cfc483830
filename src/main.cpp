#include "exercise/frmmain.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("frappin"));
    QApplication::setApplicationName(QStringLiteral("Frappin"));

    // Standard buttons and context menus in French.
    QTranslator qtTranslations;
    if (qtTranslations.load(QLocale(QLocale::French), QStringLiteral("qtbase"), QStringLiteral("_"),
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslations);

    frmMain window;
    window.show();
    return QApplication::exec();
}
