// The floor of the speed budget: the smallest Qt Widgets program that does what any typing window must do at
// start-up: a main window with one focused text box, and Qt's own French translations loaded the way Frappin
// loads them. bench/speed_budget.sh starts it side by side with Frappin. It has the size of Frappin's window,
// since a window's own pixel buffer grows with its size (1.2 MB at 642 x 468) and belongs to any program of
// that size.

#include <QApplication>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QLocale>
#include <QMainWindow>
#include <QTranslator>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QTranslator qtTranslations;
    if (qtTranslations.load(QLocale(QLocale::French), QStringLiteral("qtbase"), QStringLiteral("_"),
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslations);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Fenêtre Qt nue"));
    auto *box = new QLineEdit(QStringLiteral("Bonjour"), &window);
    window.setCentralWidget(box);
    window.resize(642, 468);
    box->setFocus();
    window.show();
    return QApplication::exec();
}
