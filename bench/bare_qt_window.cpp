// The floor of the speed budget: the smallest Qt Widgets program with a main window, one label in it.
// bench/speed_budget.sh starts it side by side with Frappin. It has the size of Frappin's window, since a
// window's own pixel buffer grows with its size (1.2 MB at 642 x 468) and belongs to any program of that
// size.

#include <QApplication>
#include <QLabel>
#include <QMainWindow>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Fenêtre Qt nue"));
    window.setCentralWidget(new QLabel(QStringLiteral("Bonjour"), &window));
    window.resize(642, 468);
    window.show();
    return QApplication::exec();
}
