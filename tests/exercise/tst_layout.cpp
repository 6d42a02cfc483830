// The main window as the layout draws it: the fixed frame and client size, the place, size, font and colours
// of each control, the pictures at their own size, the drawing order, the hands on the key markers through
// the user scale, Enter and the access key of the start button, the tab order, French names for screen
// readers and Qt's own texts in French.

#include "common/picturebox.h"
#include "exercise/frmmain.h"
#include "keyboard/keycaps.h"
#include "support/sandbox.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QSignalSpy>
#include <QSvgRenderer>
#include <QTest>
#include <QTranslator>

#include <cmath>
#include <memory>

class TestLayout : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void frameIsFixedAroundA642By448ClientArea();
    void controlsLieWhereTheLayoutPutsThem_data();
    void controlsLieWhereTheLayoutPutsThem();
    void fontsAndColoursFollowTheLayout_data();
    void fontsAndColoursFollowTheLayout();
    void picturesRenderAtTheirOwnSize_data();
    void picturesRenderAtTheirOwnSize();
    void paintedLayersLieWhereTheLayoutDrawsThem();
    void logoIsCutSixteenPixelsAtTheTop();
    void elementsAreStackedInTheDrawingOrder_data();
    void elementsAreStackedInTheDrawingOrder();

    void handOnMarker38LandsAfterTheTruncation();
    void handsPointTheirFingerAtEveryKey();

    void enterClicksTheStartButtonOnlyWhileEnabled();
    void accessKeyAndTabOrder();
    void everyReachableControlHasAFrenchName();
    void standardButtonsReadInFrench();

private:
    template <typename T = QWidget> T *control(const char *name) const
    {
        return m_window->findChild<T *>(QString::fromLatin1(name));
    }
    QWidget *client() const { return m_window->centralWidget(); }

    std::unique_ptr<Sandbox> m_sandbox;
    std::unique_ptr<frmMain> m_window;
};

void TestLayout::init()
{
    m_sandbox = std::make_unique<Sandbox>();
    m_sandbox->copyShippedFile(QStringLiteral("frappin.mot"));
    m_sandbox->copyShippedFile(QStringLiteral("clavier.dat"));
    m_window = std::make_unique<frmMain>();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void TestLayout::cleanup()
{
    m_window.reset();
    m_sandbox.reset();
}

void TestLayout::frameIsFixedAroundA642By448ClientArea()
{
    QCOMPARE(client()->size(), QSize(642, 448));
    QCOMPARE(client()->geometry().top(), m_window->menuBar()->geometry().bottom() + 1);
    QCOMPARE(m_window->minimumSize(), m_window->maximumSize());
    QCOMPARE(m_window->size(), QSize(642, 448 + m_window->menuBar()->height()));
    const Qt::WindowFlags flags = m_window->windowFlags();
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(flags.testFlag(Qt::WindowTitleHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
    // The pupil's only window keeps its taskbar entry.
    QVERIFY(!flags.testFlag(Qt::Tool));
    QVERIFY(!m_window->windowIcon().isNull());
}

void TestLayout::controlsLieWhereTheLayoutPutsThem_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("pixels");
    // The layout's twips divided by 15.
    QTest::newRow("Logo") << "Logo" << QRect(10, -16, 143, 83);
    QTest::newRow("TaNoteTexte") << "TaNoteTexte" << QRect(8, 50, 87, 21);
    QTest::newRow("Consigne") << "Consigne" << QRect(164, 32, 159, 17);
    QTest::newRow("MotATaperBord") << "MotATaperBord" << QRect(326, 28, 149, 25);
    QTest::newRow("MotATaper") << "MotATaper" << QRect(332, 30, 141, 21);
    QTest::newRow("Bravo") << "Bravo" << QRect(490, 18, 142, 44);
    QTest::newRow("FrappinPhoto") << "FrappinPhoto" << QRect(550, 72, 87, 105);
    QTest::newRow("MonTexte") << "MonTexte" << QRect(10, 72, 535, 116);
    QTest::newRow("ImageClavier") << "ImageClavier" << QRect(10, 204, 536, 153);
    QTest::newRow("Message") << "Message" << QRect(10, 374, 447, 19);
    QTest::newRow("BoutonDepart") << "BoutonDepart" << QRect(460, 370, 89, 23);
}

void TestLayout::controlsLieWhereTheLayoutPutsThem()
{
    QFETCH(QString, name);
    QFETCH(QRect, pixels);
    QWidget *widget = control(qPrintable(name));
    QVERIFY(widget);
    QCOMPARE(widget->parentWidget(), client());
    QCOMPARE(widget->geometry(), pixels);
}

void TestLayout::fontsAndColoursFollowTheLayout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("pixelSize");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("serif");
    QTest::addColumn<QColor>("text");
    // Points at 96 dots per inch: 9.75 pt is 13 pixels, 12 pt 16, 63.75 pt 85.
    QTest::newRow("TaNoteTexte") << "TaNoteTexte" << 13 << false << false << QColor(Qt::black);
    QTest::newRow("Consigne") << "Consigne" << 16 << true << false << QColor(255, 128, 128);
    QTest::newRow("MotATaper") << "MotATaper" << 16 << true << false << QColor(128, 0, 0);
    QTest::newRow("MonTexte") << "MonTexte" << 85 << true << true << QColor(0, 0, 255);
    QTest::newRow("Message") << "Message" << 13 << true << false << QColor(Qt::black);
    QTest::newRow("BoutonDepart") << "BoutonDepart" << 13 << true << false << QColor(Qt::black);
}

void TestLayout::fontsAndColoursFollowTheLayout()
{
    QFETCH(QString, name);
    QFETCH(int, pixelSize);
    QFETCH(bool, bold);
    QFETCH(bool, serif);
    QFETCH(QColor, text);
    QWidget *widget = control(qPrintable(name));
    const QFontInfo info(widget->font());
    QCOMPARE(info.pixelSize(), pixelSize);
    QCOMPARE(info.bold(), bold);
    // Arial and Times New Roman, or their Liberation twins by name where only those are installed.
    const QString family = widget->font().family();
    const QStringList expected =
        serif ? QStringList{"Times New Roman", "Liberation Serif"} : QStringList{"Arial", "Liberation Sans"};
    QVERIFY2(expected.contains(family), qPrintable(family));
    if (name != u"BoutonDepart")
        QCOMPARE(widget->palette().color(widget->foregroundRole()), text);
}

void TestLayout::picturesRenderAtTheirOwnSize_data()
{
    QTest::addColumn<QString>("resource");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QString>("control");
    QTest::newRow("background") << "fond" << QSize(640, 480) << "";
    QTest::newRow("logo") << "logo" << QSize(143, 83) << "Logo";
    QTest::newRow("Bravo") << "bravo" << QSize(142, 44) << "Bravo";
    QTest::newRow("right hand") << "main_droite" << QSize(32, 47) << "MainDroite";
    QTest::newRow("left hand") << "main_gauche" << QSize(32, 45) << "MainGauche";
    QTest::newRow("window icon") << "icone" << QSize(32, 32) << "";
    QTest::newRow("About box icon") << "apropos_icone" << QSize(32, 32) << "";
    QTest::newRow("About box picture") << "apropos_image" << QSize(94, 80) << "";
}

void TestLayout::picturesRenderAtTheirOwnSize()
{
    QFETCH(QString, resource);
    QFETCH(QSize, size);
    QFETCH(QString, control);
    QSvgRenderer renderer(QStringLiteral(":/pictures/%1.svg").arg(resource));
    QVERIFY(renderer.isValid());
    QCOMPARE(renderer.defaultSize(), size);
    if (!control.isEmpty()) {
        auto *picture = this->control<PictureBox>(qPrintable(control));
        QVERIFY(picture->hasPicture());
        QCOMPARE(picture->size(), size);
    }
}

// The background picture lies at the client's top-left corner at 640 x 480: pixel for pixel the same as the
// picture rendered alone where no control covers it, its bottom rows cut off, and the window colour in the
// two right-most columns. Line4, in front of the grade label and of the outline round the typing box, wipes
// out both borders where they meet, so that the label reads as a tab on the box.
void TestLayout::paintedLayersLieWhereTheLayoutDrawsThem()
{
    QImage alone(640, 480, QImage::Format_ARGB32_Premultiplied);
    alone.fill(client()->palette().color(QPalette::Base));
    {
        QPainter painter(&alone);
        QSvgRenderer(QStringLiteral(":/pictures/fond.svg")).render(&painter, QRectF(0, 0, 640, 480));
    }
    const QImage shown = client()->grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QCOMPARE(shown.size(), QSize(642, 448));
    // Drawn through a cache, antialiased edges may differ by a rounding step.
    auto same = [](QRgb a, QRgb b) {
        return qAbs(qRed(a) - qRed(b)) <= 2 && qAbs(qGreen(a) - qGreen(b)) <= 2 &&
               qAbs(qBlue(a) - qBlue(b)) <= 2;
    };
    for (int y : {200, 300, 400, 447}) {
        for (int x : {600, 620, 639})
            QVERIFY2(same(shown.pixel(x, y), alone.pixel(x, y)),
                     qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
        for (int x : {640, 641})
            QCOMPARE(QColor(shown.pixel(x, y)), client()->palette().color(QPalette::Base));
    }

    const QColor window = client()->palette().color(QPalette::Base);
    const QColor border = client()->palette().color(QPalette::WindowText);
    for (int y : {69, 70, 71}) {
        QCOMPARE(QColor(shown.pixel(12, y)), window);
        QCOMPARE(QColor(shown.pixel(50, y)), window);
    }
    QCOMPARE(QColor(shown.pixel(9, 70)), border);   // the label's bottom, left of the line
    QCOMPARE(QColor(shown.pixel(300, 71)), border); // the outline round the typing box
    QCOMPARE(QColor(shown.pixel(50, 50)), border);  // the label's top
}

void TestLayout::logoIsCutSixteenPixelsAtTheTop()
{
    auto *logo = control<PictureBox>("Logo");
    QCOMPARE(logo->visibleRegion().boundingRect(), QRect(0, 16, 143, 67));
}

void TestLayout::elementsAreStackedInTheDrawingOrder_data()
{
    QTest::addColumn<QString>("front");
    QTest::addColumn<QString>("back");
    QTest::newRow("right hand over the label") << "MainDroite"
                                               << "Message";
    QTest::newRow("label over the left hand") << "Message"
                                              << "MainGauche";
    QTest::newRow("right hand over the left hand") << "MainDroite"
                                                   << "MainGauche";
    QTest::newRow("left hand over the keyboard") << "MainGauche"
                                                 << "ImageClavier";
    QTest::newRow("grade label over the logo") << "TaNoteTexte"
                                               << "Logo";
    QTest::newRow("word box over its grey box") << "MotATaper"
                                                << "MotATaperBord";
    QTest::newRow("typing box over the photograph") << "MonTexte"
                                                    << "FrappinPhoto";
    QTest::newRow("button over the right hand") << "BoutonDepart"
                                                << "MainDroite";
}

void TestLayout::elementsAreStackedInTheDrawingOrder()
{
    QFETCH(QString, front);
    QFETCH(QString, back);
    const QObjectList order = client()->children(); // from back to front
    QVERIFY(order.indexOf(control(qPrintable(front))) > order.indexOf(control(qPrintable(back))));
}

// Marker 38 reads 9.319, 76.271 units, 1.971 x 3.107; truncated, the hand goes to 9 units left and 76 + 3 =
// 79 units down, that is 753.3 and 4194.9 twips: pixel 50, 280 of the client area.
void TestLayout::handOnMarker38LandsAfterTheTruncation()
{
    const QRectF marker = m_window->Touche(38);
    QVERIFY(qAbs(marker.left() - 9.319) < 0.001);
    QVERIFY(qAbs(marker.top() - 76.271) < 0.001);
    QVERIFY(qAbs(marker.width() - 1.971) < 0.001);
    QVERIFY(qAbs(marker.height() - 3.107) < 0.001);
    auto *hand = control<PictureBox>("MainDroite");
    m_window->moveHand(hand, std::floor(marker.left()),
                       std::floor(marker.top()) + std::floor(marker.height()));
    QCOMPARE(hand->pos(), QPoint(50, 280));
    QCOMPARE(hand->size(), QSize(32, 47));
}

// Placed as the guide places them, the tip of each hand's pointing finger (right hand: top row, columns 8 to
// 11; left hand: second row, columns 20 to 22) lies on the key cap of the marker, for every key.
void TestLayout::handsPointTheirFingerAtEveryKey()
{
    auto *right = control<PictureBox>("MainDroite");
    auto *left = control<PictureBox>("MainGauche");
    const QPoint picture = control("ImageClavier")->pos();
    for (int i = 0; i < KeyCaps::Count; ++i) {
        const QRectF k = m_window->Touche(i);
        const double top = std::floor(k.top()) + std::floor(k.height());
        m_window->moveHand(right, std::floor(k.left()), top);
        m_window->moveHand(left, std::floor(k.left()) - 2 * std::floor(k.width()), top);
        const QPainterPath cap = KeyCaps::capShape(i).translated(picture);
        QVERIFY2(cap.contains(QRectF(right->pos() + QPoint(8, 0), QSizeF(4, 1))),
                 qPrintable(QString::number(i)));
        QVERIFY2(cap.contains(QRectF(left->pos() + QPoint(20, 1), QSizeF(3, 1))),
                 qPrintable(QString::number(i)));
    }
}

void TestLayout::enterClicksTheStartButtonOnlyWhileEnabled()
{
    auto *button = control<QPushButton>("BoutonDepart");
    auto *typing = control<QLineEdit>("MonTexte");
    QSignalSpy clicks(button, &QPushButton::clicked);
    typing->setFocus();

    button->setEnabled(false);
    QTest::keyClick(typing, Qt::Key_Return);
    QTest::keyClick(typing, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(clicks.count(), 0);

    button->setEnabled(true);
    QTest::keyClick(typing, Qt::Key_Return);
    QCOMPARE(clicks.count(), 1);
    button->setEnabled(true);
    QTest::keyClick(control<QLineEdit>("MotATaper"), Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(clicks.count(), 2);
    // Enter with a modifier is not the default button's.
    button->setEnabled(true);
    QTest::keyClick(typing, Qt::Key_Return, Qt::ControlModifier);
    QCOMPARE(clicks.count(), 2);
}

void TestLayout::accessKeyAndTabOrder()
{
    auto *button = control<QPushButton>("BoutonDepart");
    QVERIFY(button->isDefault());
    QCOMPARE(button->text(), QStringLiteral("&Commencer"));
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    QSignalSpy clicks(button, &QPushButton::clicked);
    QTest::keyClick(m_window.get(), Qt::Key_C, Qt::AltModifier);
    QTRY_COMPARE(clicks.count(), 1); // an access key clicks with the button's short press animation

    // Labels take no focus; Tab runs from the word to the button to the typing box.
    for (const char *label : {"TaNoteTexte", "Consigne", "Message"})
        QCOMPARE(control(label)->focusPolicy(), Qt::NoFocus);
    QWidget *word = control("MotATaper");
    QCOMPARE(word->nextInFocusChain(), button);
    QCOMPARE(button->nextInFocusChain(), control("MonTexte"));
}

// Every control that a person can reach with the keyboard, the mouse or a screen reader's review has a name
// a screen reader can say, and so has each menu.
void TestLayout::everyReachableControlHasAFrenchName()
{
    for (QWidget *widget : client()->findChildren<QWidget *>()) {
        if (widget->objectName().isEmpty() || widget->objectName().startsWith(u"qt_"))
            continue;
        QAccessibleInterface *item = QAccessible::queryAccessibleInterface(widget);
        QVERIFY2(item && !item->text(QAccessible::Name).trimmed().isEmpty(),
                 qPrintable(widget->objectName()));
    }
    QCOMPARE(QAccessible::queryAccessibleInterface(control("MonTexte"))->text(QAccessible::Name),
             QStringLiteral("Zone de frappe"));
    for (QAction *menu : m_window->menuBar()->actions())
        QVERIFY(!menu->menu()->accessibleName().isEmpty());
}

// main() loads Qt's French translations from Qt's translation folder, as here.
void TestLayout::standardButtonsReadInFrench()
{
    QTranslator translator;
    QVERIFY(translator.load(QLocale(QLocale::French), QStringLiteral("qtbase"), QStringLiteral("_"),
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath)));
    QApplication::installTranslator(&translator);
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    const QString yes = box.button(QMessageBox::Yes)->text().remove(u'&');
    const QString no = box.button(QMessageBox::No)->text().remove(u'&');
    QApplication::removeTranslator(&translator);
    QCOMPARE(yes, QStringLiteral("Oui"));
    QCOMPARE(no, QStringLiteral("Non"));
}

FRAPPIN_TEST_MAIN(TestLayout)
#include "tst_layout.moc"
