// The floor of the key-to-screen latency (bench/latency.sh): the smallest Qt Widgets program that shows a
// typed letter, a main window of Frappin's size with one focused text box. The box has the place and the font
// of Frappin's typing box, so that both draw the same large letters; Enter empties it, as a new word empties
// Frappin's.

#include <QApplication>
#include <QLineEdit>
#include <QMainWindow>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Fenêtre Qt nue avec une case"));
    auto *central = new QWidget(&window);
    window.setCentralWidget(central);
    auto *box = new QLineEdit(central);
    box->setGeometry(10, 72, 535, 116);
    QFont font(QStringLiteral("Liberation Serif"));
    font.setPixelSize(85);
    font.setBold(true);
    box->setFont(font);
    QObject::connect(box, &QLineEdit::returnPressed, box, &QLineEdit::clear);
    window.resize(642, 468);
    window.show();
    box->setFocus();
    return QApplication::exec();
}
