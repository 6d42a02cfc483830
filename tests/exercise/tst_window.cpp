// The exercise window: what only the window does with the rules' answers. Controls shown, hidden, selected,
// placed and focused during a series; its end with the grade and the results in the store; the greeting; an
// abandoned series; the keyboard's way through the window.

#include "common/appstyle.h"
#include "common/focusring.h"
#include "common/intervaltimer.h"
#include "common/platform.h"
#include "common/strings.h"
#include "exercise/clientarea.h"
#include "exercise/frmmain.h"
#include "history/history.h"
#include "keyboard/guide.h"
#include "keyboard/keyboardpicture.h"
#include "keyboard/keycaps.h"
#include "keyboard/locks.h"
#include "settings/store.h"
#include "sound/sound.h"
#include "support/sandbox.h"
#include "words/wordlist.h"

#include <QAccessible>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QHash>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProxyStyle>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QSvgRenderer>
#include <QTest>
#include <QWindow>

#include <cmath>
#include <csignal>
#include <memory>
#include <numeric>
#include <ranges>
#include <span>

#include <sys/resource.h>

// Wayland gives the keyboard only to the window the user picks: neither a program nor a test can take it.
#define NEEDS_ACTIVATION()                                                                                   \
    if (QGuiApplication::platformName() == u"wayland")                                                       \
    QSKIP("Wayland: no activation")

namespace {

// A started program with a word list of its own, the shipped keyboard file, a fixed clock and draw.
class Program {
public:
    explicit Program(const QString &words, const QString &niveau = QString(), const QString &prenom = {})
    {
        if (!prenom.isNull())
            Store::write(Store::Frappin, Store::Demarrage, Store::Prenom, prenom);
        sandbox.copyShippedFile("clavier.dat");
        sandbox.writeFile("frappin.mot", words.toUtf8());
        if (!niveau.isNull())
            Store::write(Store::Frappin, Store::Demarrage, Store::Niveau, niveau);
        setClockForTests([this] { return now; });
        window = std::make_unique<frmMain>();
        window->show();
    }
    template <typename T = QWidget> T *control(const char *name) const
    {
        return window->findChild<T *>(name);
    }
    QLineEdit *typing() const { return control<QLineEdit>("MonTexte"); }
    QString word() const { return control<QLineEdit>("MotATaper")->text(); }
    bool shown(const char *name) const { return control(name)->isVisible(); }
    QPoint at(const char *name) const { return control(name)->pos(); }
    void start() const { control<QPushButton>("BoutonDepart")->click(); }
    // Types as the keyboard gives it: ASCII as key presses, "¨" as the dead key's release (the input method
    // keeps its press), anything else as an input-method commit.
    void type(const QString &text) const
    {
        for (QChar c : text) {
            if (c == u'¨') {
                QKeyEvent release(QEvent::KeyRelease, Qt::Key_Dead_Diaeresis, Qt::ShiftModifier);
                QApplication::sendEvent(typing(), &release);
            } else if (c.unicode() < 128) {
                QTest::keyClick(typing(), c.toLatin1());
            } else {
                QInputMethodEvent commit;
                commit.setCommitString(QString(c));
                QApplication::sendEvent(typing(), &commit);
            }
        }
    }
    void completeWord()
    {
        type(word());
        QVERIFY(window->Timer(0)->isTicking());
        window->Timer_Timer(0);
    }

    Sandbox sandbox;
    QDateTime now{QDate(2026, 12, 7), QTime(10, 0, 0)};
    std::unique_ptr<frmMain> window;
};

} // namespace

Q_DECLARE_METATYPE(KeyboardLocks)

class TestWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void typingShowsTheMistakeTheHandsAndTheLocks_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("niveau");
        QTest::addColumn<KeyboardLocks>("locks");
        QTest::addColumn<QString>("told");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>(
            "shown"); // selection | right hand's key | left hand's | lit keys | time-out
        const KeyboardLocks usual{false, true};
        const QString caps = "La touche Verr. Maj est allumée.", num = "Allume la touche Verr Num.";
        // clang-format off
        QTest::newRow("wrong selected, Verr Maj on") << "chat" << "0" << KeyboardLocks{true, false} << caps << "chx" << "x|38||38/|";
        QTest::newRow("letter too many")             << "chat" << "0" << usual << "" << "chatx" << "||||";
        QTest::newRow("after ¨")                     << "Noël" << "0" << usual << "" << "No¨"   << "||40|/40|";
        QTest::newRow("guide limité")                << "chat" << "1" << usual << "" << "c"     << "|64||64/|1 s";
        QTest::newRow("Verr Num off, a pad digit")   << "12"   << "0" << KeyboardLocks{false, false} << num << "12x" << "||||";
        QTest::newRow("both wrong, a pad digit")     << "12"   << "0" << KeyboardLocks{true, false} << caps + " " + num << "12x" << "||||";
        // clang-format on
    }
    // The locks are read from the keyboard when a series starts, at each key and when the window gets the
    // focus back; the lights and the hint follow at once, a digit of the pad asking for Num Lock. A mistake
    // is selected and painted in the soft red, and the hands and lit keys show the next keystroke.
    void typingShowsTheMistakeTheHandsAndTheLocks()
    {
        QFETCH(QString, word);
        QFETCH(QString, niveau);
        QFETCH(KeyboardLocks, locks);
        QFETCH(QString, told);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        Program p(word + ",,\r\n", niveau);
        KeyboardLocks now = locks;
        setKeyboardLocksForTests([&] { return now; });
        const auto restore = qScopeGuard([] { setKeyboardLocksForTests({}); });
        const auto shows = [&](const QString &hint) {
            return p.control<KeyboardPicture>("ImageClavier")->locks() == now &&
                   (p.shown("VerrMaj") ? p.control<QLabel>("VerrMaj")->text() : QString()) == hint;
        };
        p.start();
        QCOMPARE(p.window->focusWidget(), p.typing());
        QVERIFY(shows(told));
        now = {false, true};
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_CapsLock, Qt::NoModifier);
        QApplication::sendEvent(p.control("BoutonDepart"), &release);
        QVERIFY(shows(""));
        now = locks;
        Q_EMIT qGuiApp->focusWindowChanged(p.window->windowHandle());
        QVERIFY(shows(told));
        p.type(typed);
        const auto key = [&](const char *hand, Hand which) {
            for (int i = 0; i < KeyCaps::Count && p.shown(hand); ++i) {
                if (p.at(hand) == handPlace(which, i))
                    return QString::number(i);
            }
            return QString(p.shown(hand) ? "?" : "");
        };
        const auto lit = [&](int step) {
            QStringList keys;
            for (int k : p.control<KeyboardPicture>("ImageClavier")->litKeys(step))
                keys.append(QString::number(k));
            return keys.join(u' ');
        };
        const QString litKeys = lit(1) + u'/' + lit(2);
        QCOMPARE(QStringList({p.typing()->selectedText(), key("MainDroite", Hand::Right),
                              key("MainGauche", Hand::Left), litKeys == u"/" ? QString() : litKeys,
                              p.window->Timer(1)->isTicking() ? "1 s" : ""})
                     .join(u'|'),
                 shown);
        QCOMPARE(p.shown("Bravo"), typed.startsWith(word)); // "chatx": the pause of "chat" runs
        const QImage image = p.typing()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const auto *pixels = reinterpret_cast<const QRgb *>(image.constBits());
        QCOMPARE(std::count(pixels, pixels + image.sizeInBytes() / 4, frmMain::MistakeColour.rgb()) > 0,
                 p.typing()->hasSelectedText());
    }

    // Repainted in parts (the typed text, a hand moving, a key lit), the window shows what it shows whole,
    // and the background's parts make its whole picture; the keyboard shows a cap (or a hand over it), not
    // its plate, under every key marker. With the focus, the typing box covers all its pixels and says so (a
    // typed letter repaints the box alone); without it, its corners show through.
    void repaintedInPartsAsWhole()
    {
        Program p("fenêtre,,\r\n");
        p.start();
        p.type("fe"); // the right hand under the bottom row, over the background
        QWidget *client = p.control("client");
        QImage whole(client->size(), QImage::Format_RGB32);
        QImage part(whole.size(), whole.format());
        client->render(&whole);
        for (int y = 0; y < whole.height(); y += 24)
            for (int x = 0; x < whole.width(); x += 24) {
                part.fill(Qt::black);
                client->render(&part, QPoint(x, y), QRegion(x, y, 24, 24));
                QVERIFY(part.copy(x, y, 24, 24) == whole.copy(x, y, 24, 24));
            }
        const QPoint keyboard = p.control("ImageClavier")->mapTo(client, QPoint());
        for (int i = 0; i < KeyCaps::Count; ++i)
            QVERIFY(whole.pixelColor(keyboard + KeyCaps::markerPixels(i).center()) != KeyboardColours::Plate);
        QSvgRenderer svg(QStringLiteral(":/pictures/fond.svg"));
        QImage background(svg.defaultSize(), QImage::Format_RGB32);
        background.fill(Qt::white);
        QImage parts = background.copy();
        svg.render(std::make_unique<QPainter>(&background).get());
        {
            QPainter painter(&parts);
            for (const char *id : ClientLayout::BackgroundParts)
                svg.render(&painter, id, svg.boundsOnElement(id));
        }
        QVERIFY(parts == background);
        NEEDS_ACTIVATION();
        QVERIFY(QTest::qWaitForWindowActive(p.window.get()));
        for (const bool focused : {true, false}) {
            if (!focused)
                p.typing()->clearFocus();
            QImage image(p.typing()->size(), QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            p.typing()->render(&image, {}, {}, QWidget::DrawChildren);
            QCOMPARE(p.typing()->testAttribute(Qt::WA_OpaquePaintEvent), focused);
            QCOMPARE(image == image.convertToFormat(QImage::Format_RGB32).convertToFormat(image.format()),
                     focused);
        }
    }

    void wholeTextInView_data()
    {
        QTest::addColumn<QString>("word");
        for (const QString &name :
             QDir(QStringLiteral(FRAPPIN_RESOURCES_DIR)).entryList({"*.mot"}, QDir::Files)) {
            TextTable entries;
            qint16 count = 0;
            QVERIFY(loadWordList(QStringLiteral(FRAPPIN_RESOURCES_DIR "/") + name, entries, count));
            const auto words = std::views::transform(std::span(entries).first(count), wordOfEntry);
            QTest::addRow("%s", qPrintable(name)) << *std::ranges::max_element(words, {}, &QString::size);
        }
    }
    // The greeting, the word and the typed text stay whole in view, shrunk as little as needed. The longest
    // entry of each shipped list is readable: in the word box at its size, or else in grey in the typing box,
    // at the typed letters' size, where each letter typed covers its model.
    void wholeTextInView()
    {
        QFETCH(QString, word);
        Program p(word + ",,\r\n", QString(), "Marie-Bernadette");
        const auto typedEnd = [](QLineEdit *box) { // as the cursor shows it
            return box->inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x();
        };
        const auto inView = [&](QLineEdit *box, int layoutPixels) {
            box->setCursorPosition(static_cast<int>(box->text().size()));
            box->grab(); // lays the text out as a paint does: the end of the text unscrolled
            const double width = QFontMetricsF(box->font()).horizontalAdvance(box->text());
            return width <= box->contentsRect().width() && typedEnd(box) >= width &&
                   box->font().pixelSize() < layoutPixels;
        };
        auto *box = p.control<TypingBox>("MonTexte");
        QVERIFY(inView(box, frmMain::TypingPixels));
        p.start();
        auto *wordBox = p.control<QLineEdit>("MotATaper");
        const bool fits = wordBox->font().pixelSize() == frmMain::WordPixels;
        QVERIFY(fits || (inView(wordBox, frmMain::WordPixels) && box->font().pixelSize() >= 45));
        QCOMPARE(box->model(), fits ? QString() : word);
        const auto model = [&] { // the first column of grey
            const QImage image = box->grab().toImage().convertToFormat(QImage::Format_RGB32);
            for (int x = 0; x < image.width(); ++x)
                for (int y = 0; y < image.height(); ++y)
                    if (image.pixel(x, y) == TypingBox::ModelColour.rgb())
                        return x;
            return -1;
        };
        QCOMPARE(model() >= 0 && model() < typedEnd(box) + 8, !fits);
        p.type(word.chopped(1));
        QCOMPARE(model() >= typedEnd(box) - 2, !fits);
        p.type(QStringLiteral("x"));
        QVERIFY(fits || inView(box, frmMain::TypingPixels));
        QCOMPARE(model(), -1);
        // Dictated, the phrase is not drawn under its blanks.
        Store::write(Store::Frappin, Store::Demarrage, {{Store::Son, "1"}, {Store::Dictee, "1"}});
        Sound::setSoundForTests([](const QString &) {}, true);
        const auto restore = qScopeGuard([] { Sound::setSoundForTests({}); });
        p.window->mnuNouveau_Click();
        QVERIFY(box->model().isEmpty() && wordBox->text() != word);
    }

    void seriesEndsWithTheGradeStored_data()
    {
        QTest::addColumn<QString>("derniere");   // null: absent
        QTest::addColumn<QByteArray>("section"); // as written in the file; empty: none
        QTest::newRow("Léa") << "Léa"
                             << QByteArray("[Léa]\nDurée=0,00347222222222222\nNiveau=1\n"
                                           "Nombre de caractères=20\nNote=19\n");
        QTest::newRow("absent") << QString() << QByteArray();
        QTest::newRow("only blanks") << "   " << QByteArray();
    }
    // The last pause ends the series with the grade; the results go to the pupil's section, if one is named.
    void seriesEndsWithTheGradeStored()
    {
        QFETCH(QString, derniere);
        QFETCH(QByteArray, section);
        Program p("chat,,\r\n");
        if (!derniere.isNull())
            Store::write(Store::Frappin, Store::Demarrage, Store::Derniere, derniere);
        QLocale::setDefault(QLocale(QLocale::French));
        QVERIFY(!p.shown("Etoiles"));
        p.start();
        p.type("x");
        auto *stars = p.control<StarRow>("Etoiles");
        for (int word = 1; word <= 5; ++word) {
            if (word == 5)
                p.now = p.now.addSecs(300);
            QCOMPARE(stars->done(), word - 1);
            p.type(p.word());
            QCOMPARE(stars->done(), word); // filled at "Bravo !"
            p.window->Timer_Timer(0);
        }
        QVERIFY(stars->isVisible() && stars->done() == 5 && stars->total() == 5);
        QLocale::setDefault(QLocale::c());
        QCOMPARE(p.typing()->text(), QStringLiteral("19/20"));
        QCOMPARE(p.shown("NoteNonGardee"), derniere.trimmed().isEmpty());
        QVERIFY(!p.shown("MotATaper"));
        QCOMPARE(p.control("MotATaper")->accessibleName(), QStringLiteral("Ta note est 19 sur 20"));
        QCOMPARE(p.control<QLabel>("Message")->text(), Texts::Invitation);
        QVERIFY(p.control<QPushButton>("BoutonDepart")->isEnabled());
        const QByteArray file = fileBytes(TestSupport::configFolder() + "/Frappin.ini");
        QVERIFY2(section.isEmpty() ? file.count('[') <= 1 : file.contains(section), file.constData());
        QVERIFY(p.sandbox.messages.isEmpty());

        // Results the store cannot take (no file may grow here) are told; the grade stays shown.
        if (derniere == "Léa") {
            rlimit saved{};
            getrlimit(RLIMIT_FSIZE, &saved);
            const rlimit full{1, saved.rlim_max};
            std::signal(SIGXFSZ, SIG_IGN);
            setrlimit(RLIMIT_FSIZE, &full);
            p.start();
            for (int word = 1; word <= 5; ++word)
                p.completeWord();
            setrlimit(RLIMIT_FSIZE, &saved);
            // The results' message, then the history's, which cannot be written either.
            QCOMPARE(p.sandbox.messages.size(), 2);
            QVERIFY(p.sandbox.messages[0].text.contains(QStringLiteral("résultats de cette série")));
            QCOMPARE(p.typing()->text(), QStringLiteral("20/20"));
        }
        // The grade cannot be typed over; Enter starts the next series, in which the box takes letters again.
        p.type("ab\b");
        QVERIFY(p.typing()->text().endsWith(u"/20"));
        QTest::keyClick(p.typing(), Qt::Key_Return);
        p.type("c");
        QVERIFY(!p.shown("NoteNonGardee") && p.typing()->text() == u"c");
        // "&Nouveau" starts afresh, even during the pause of a completed word, which then never counts. A
        // series abandoned by the settings dialog draws no further word and leaves no hand on a stale key.
        p.type("xhat");
        p.window->findChild<QAction *>("mnuNouveau")->trigger();
        QVERIFY(!p.window->Timer(0)->isTicking() && !p.shown("Bravo") && p.typing()->text().isEmpty());
        const Series &series = p.window->series();
        QCOMPARE(QStringLiteral("%1 %2 %3")
                     .arg(series.FautesSerie)
                     .arg(series.NbCaracteres)
                     .arg(series.MotsRestants),
                 "0 0 5");
        QCOMPARE(p.control("MotATaper")->accessibleName(), QStringLiteral("Mot à taper : chat"));
        p.window->abandonSeries();
        p.completeWord();
        QVERIFY(p.word().isEmpty() && series.MotsRestants == 4);
        QVERIFY(p.shown("MainDroite") && p.at("MainDroite") == frmMain::RestingRightHand.topLeft());
        p.type("a");
        QVERIFY(!p.shown("Bravo") && !p.window->Timer(0)->isTicking());
    }

    // With the path on, a series draws from the pupil's lesson; a lesson passed is shown and heard with the
    // grade, stored with the results, and the history keeps the lesson drawn from. With "Son" on, a window
    // opened says the instruction, a drawn word is said, a mistake marked, a completed word praised. "Son"
    // is read when a series starts (only "1" is on): a change counts at the next one; an abandoned series
    // is silent.
    void pathMovesThePupilOn()
    {
        Program p("chat,,\r\n");
        p.sandbox.writeFile("01 a.mot", "lune,,\r\n");
        p.sandbox.writeFile("02 b.mot", "œuf,,\r\nvache,,\r\n");
        using namespace Store;
        QVERIFY(write(Frappin, Demarrage, {{Derniere, "Léa"}, {Parcours, "1"}, {Son, "1"}}) &&
                write(Frappin, "Léa", {{Lecon, "01 a.mot"}, {Reussies, "1"}}));
        QStringList got;
        Sound::setSoundForTests([&](const QString &what) { got.append(what); });
        const auto restore = qScopeGuard([] { Sound::setSoundForTests({}); });
        frmMain().show();
        p.start();
        QCOMPARE(p.word() + " / " + p.control<QLabel>("Lecon")->text(), "lune / Leçon 1 sur 2 : a");
        QVERIFY(write(Frappin, Demarrage, Son, "oui"));
        p.type("x");
        for (int word = 1; word <= 5; ++word)
            p.completeWord();
        QCOMPARE(p.control<QLabel>("Nouvelle")->text(), "Bravo ! Tu passes à la leçon 2.");
        QCOMPARE(got.join(u'|'), Texts::Invitation + "|lune|<faute>" + QString("|Bravo !|lune").repeated(4) +
                                     "|Bravo !|Ta note est 19 sur 20. Bravo ! Tu passes à la leçon 2. " +
                                     Texts::Invitation);
        QCOMPARE(read(Frappin, "Léa", Lecon, {}) + read(Frappin, "Léa", Reussies, {}), "02 b.mot0");
        QCOMPARE(History::records("Léa").value(0).wordList + " " + History::records("Léa").value(0).lesson,
                 "01 a.mot 02 b.mot");
        got.clear();
        // Idle after the grade, the window loads the next lesson: œuf, which no key types, is never drawn.
        QCoreApplication::processEvents();
        p.start();
        QCOMPARE(p.word(), "vache");
        QVERIFY(write(Frappin, Demarrage, Son, "1"));
        p.window->mnuNouveau_Click();
        p.window->abandonSeries();
        p.type("x");
        QCOMPARE(got, QStringList{"vache"});
        // The path turned off: the list of the settings again, and no lesson shown.
        QVERIFY(write(Frappin, Demarrage, Parcours, "0"));
        p.window->mnuNouveau_Click();
        QCOMPARE(p.word() + (p.shown("Lecon") ? " Leçon" : ""), "chat");
        // A series that moves nobody on carries no lesson to the school's server.
        QVERIFY(write(Frappin, Demarrage, Parcours, "1"));
        p.window->mnuNouveau_Click();
        for (int word = 1; word <= 5; ++word)
            p.completeWord();
        const QList<History::Record> records = History::records("Léa");
        QVERIFY(records.size() == 2 && records[0].lesson.isEmpty() != records[1].lesson.isEmpty());
        QCOMPARE(read(Frappin, "Léa", Reussies, {}), "1");
    }

    void dictationSaysTheWord_data()
    {
        QTest::addColumn<bool>("heard");
        QTest::addColumn<QString>("timeline"); // what was heard, and [word box, hand, "Répéter", message]
        // clang-format off
        QTest::newRow("speech heard") << true << "chat|[____ - R ]|chat|chat|<faute>|[____ + R ]|<faute>|<faute>|"
            "[chat + R ]|Bravo !|[chat - - ]|chat|[____ - R ]|chat|[chat - - ]";
        QTest::newRow("no sound output") << false << "chat|[chat + - told]|<faute>|[chat + - told]|<faute>|"
            "<faute>|[chat + - told]|Bravo !|[chat - - told]|chat|[chat + - told]|chat|[chat + - told]";
        // clang-format on
    }
    // A dictated word is said when it comes and again on "Répéter" or Enter, shown as blanks with no guide
    // until a mistake, shown after three and when done. Where speech is not heard, the words are shown and
    // the window says why. An abandoned series shows the word it hid.
    void dictationSaysTheWord()
    {
        QFETCH(bool, heard);
        QFETCH(QString, timeline);
        Program p("chat,,\r\n");
        Store::write(Store::Frappin, Store::Demarrage, {{Store::Son, "1"}, {Store::Dictee, "1"}});
        QStringList got;
        Sound::setSoundForTests([&](const QString &what) { got.append(what); }, heard);
        const auto restore = qScopeGuard([] { Sound::setSoundForTests({}); });
        const auto seen = [&] {
            got.append(QStringLiteral("[%1 %2 %3 %4]")
                           .arg(p.word(), p.shown("MainDroite") ? "+" : "-", p.shown("Repeter") ? "R" : "-",
                                p.control<QLabel>("Message")->text().contains("Pas de son") ? "told" : ""));
        };
        p.start();
        QCoreApplication::processEvents();
        seen();
        p.control<QPushButton>("Repeter")->click();
        for (const QString &typed : QStringList{"\r", "x", "yz", "chat\r", ""}) {
            for (const QChar c : typed)
                c == u'\r' ? QTest::keyClick(p.typing(), Qt::Key_Return) : p.type(c);
            if (typed.isEmpty())
                p.window->Timer_Timer(0);
            if (typed != u"\r")
                seen();
        }
        const qsizetype firstWords = got.size();
        for (int word = 2; word <= 5; ++word)
            p.type("chat"), p.window->Timer_Timer(0);
        got.resize(firstWords);
        p.start();
        p.window->abandonSeries();
        seen();
        QCOMPARE(p.window->series().results(QLocale()).dictee, heard);
        QCOMPARE(got.join(u'|'), timeline);
    }

    // A word list chosen in the settings is the next series' list; one that cannot be read keeps the old one,
    // stored too. One with no word the keyboard can type starts no series, and says which and what to do.
    void chosenListIsTheNextSeriesList()
    {
        Program p("chat,,\r\n");
        p.sandbox.writeFile("autre.mot", "lune,,\r\n");
        p.sandbox.writeFile("perdue.mot", "soleil,,\r\n");
        p.sandbox.writeFile("œufs.mot", "cœur,,\r\nŒuf,,\r\n");
        p.window->mnuParam_Click();
        auto *files = topLevels<QDialog>().value(0)->findChild<QComboBox *>("saisieFichier");
        files->setCurrentIndex(files->findText("autre.mot"));
        QVERIFY(QFile::remove(p.sandbox.path("perdue.mot")));
        files->setCurrentIndex(files->findText("perdue.mot"));
        QCOMPARE(p.sandbox.messages.size(), 1);
        QCOMPARE(readSetting(Store::Fichier) + files->currentText(), "autre.motautre.mot");
        files->setCurrentIndex(files->findText("œufs.mot"));
        p.start();
        QVERIFY(p.sandbox.messages.value(1).text.contains("eleve verifier " + p.sandbox.path("œufs.mot")));
        QVERIFY(p.window->series().EnCours == 0 && !p.shown("MotATaper") && p.word().isEmpty());
        files->setCurrentIndex(files->findText("autre.mot"));
        p.start();
        QCOMPARE(p.word(), QStringLiteral("lune"));
        qDeleteAll(topLevels<QDialog>());
    }

    // Enter and Alt+C start a series while the button is enabled; Tab runs between the button and the typing
    // box, and during a series never leaves the typing box; every control has a French name. Back from one of
    // the program's own dialogs (or a question box it opened) during the first word, and only then, the pupil
    // is greeted again. "Quitter" answered "Non" keeps the series. A close box only, and the fixed size kept
    // even where the frame offers to enlarge it.
    void keyboardWayThroughTheWindow()
    {
        NEEDS_ACTIVATION();
        Program p("chat,,\r\n", {}, " Zoé ");
        for (QWidget *widget : p.window->centralWidget()->findChildren<QWidget *>()) {
            if (widget->objectName().isEmpty() || widget->objectName().startsWith(u"qt_"))
                continue;
            QAccessibleInterface *item = QAccessible::queryAccessibleInterface(widget);
            QVERIFY2(item && !item->text(QAccessible::Name).trimmed().isEmpty(),
                     qPrintable(widget->objectName()));
        }
        auto *button = p.control<QPushButton>("BoutonDepart");
        p.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(p.window.get()));
        p.typing()->setFocus();
        const auto tab = [&](Qt::Key key) {
            QTest::keyClick(QApplication::focusWidget(), key);
            return QApplication::focusWidget();
        };
        QCOMPARE(tab(Qt::Key_Tab), button);
        const QImage focused = button->grab().toImage(); // a 2-pixel ring
        QCOMPARE(focused.pixelColor(1, focused.height() / 2), FocusRingColour);
        QCOMPARE(tab(Qt::Key_Tab), p.typing());
        QSignalSpy clicks(button, &QPushButton::clicked);
        QTest::keyClick(p.typing(), Qt::Key_Return);
        QCOMPARE(clicks.count(), 1);
        QTest::keyClick(p.typing(), Qt::Key_Return);
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(tab(Qt::Key_Tab), p.typing());
        QCOMPARE(tab(Qt::Key_Backtab), p.typing());

        QDialog own;
        own.setProperty(frmMain::OwnDialogProperty, true);
        QDialog question(&own);
        QDialog other;
        const auto visit = [&](QDialog &dialog) {
            p.typing()->setText("ch");
            dialog.show();
            dialog.activateWindow();
            const bool active = QTest::qWaitForWindowActive(&dialog);
            dialog.hide();
            p.window->activateWindow();
            return active && QTest::qWaitForWindowActive(p.window.get()) ? p.typing()->text()
                                                                         : QStringLiteral("<not active>");
        };
        QCOMPARE(visit(own), QStringLiteral("Zoé"));
        QCOMPARE(visit(other), QStringLiteral("ch"));
        QCOMPARE(visit(question), QStringLiteral("Zoé"));
        p.completeWord();
        QCOMPARE(visit(own), QStringLiteral("ch"));

        p.sandbox.answers = {MsgAnswer::No};
        p.window->findChild<QAction *>("mnuQuitter")->trigger();
        QCOMPARE(p.sandbox.messages.value(0).text, Texts::QuitQuestion);
        QVERIFY(p.window->isVisible() && p.shown("MotATaper"));

        QCOMPARE(p.window->windowFlags() & (Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
                 Qt::WindowCloseButtonHint);
        const QSize size = p.window->size();
        for (const Qt::WindowState state : {Qt::WindowMaximized, Qt::WindowFullScreen}) {
            p.window->windowHandle()->setWindowState(state);
            QTest::qWait(300);
            QCOMPARE(p.window->windowState(), Qt::WindowNoState);
            QCOMPARE(p.window->size(), size);
        }
    }

    // The menu bar's extension pictures, read only once drawn, are the desktop style's own.
    void extensionPicturesReadOnUse()
    {
        useApplicationStyle();
        auto *style = qobject_cast<QProxyStyle *>(QApplication::style());
        QVERIFY(style);
        for (const auto which :
             {QStyle::SP_ToolBarHorizontalExtensionButton, QStyle::SP_ToolBarVerticalExtensionButton}) {
            const QIcon onUse = style->standardIcon(which), own = style->baseStyle()->standardIcon(which);
            QImage blank(24, 24, QImage::Format_ARGB32_Premultiplied);
            blank.fill(Qt::transparent);
            QImage painted = blank, expected = blank;
            onUse.paint(std::make_unique<QPainter>(&painted).get(), painted.rect());
            own.paint(std::make_unique<QPainter>(&expected).get(), expected.rect());
            QVERIFY(!onUse.isNull() && painted != blank);
            QCOMPARE(painted, expected);
            QCOMPARE(onUse.availableSizes(), own.availableSizes());
            QCOMPARE(onUse.actualSize(QSize(16, 16)), own.actualSize(QSize(16, 16)));
            QCOMPARE(onUse.pixmap(16).toImage(), own.pixmap(16).toImage());
        }
    }

    // Every label of the picture, lit in orange or not, reaches a contrast of 4.5:1 with its key's face, as
    // the screen shows it: the darkest pixel of the ink against the face's commonest colour.
    void keyLabelsAreReadable()
    {
        const auto luminance = [](QRgb rgb) { // relative luminance, with each channel made linear
            const auto linear = [](int c) {
                return c <= 10 ? c / 3294.6 : std::pow((c / 255.0 + 0.055) / 1.055, 2.4);
            };
            return 0.2126 * linear(qRed(rgb)) + 0.7152 * linear(qGreen(rgb)) + 0.0722 * linear(qBlue(rgb)) +
                   0.05;
        };
        KeyboardPicture picture;
        QList<int> all(KeyCaps::Count);
        std::iota(all.begin(), all.end(), 0);
        for (const bool lit : {false, true}) {
            picture.setLitKeys(lit ? all : QList<int>(), {});
            const QImage image = picture.grab().toImage();
            for (int i = 0; i < KeyCaps::Count; ++i) {
                const QRect face = KeyCaps::capRect(i).adjusted(3, 3, -3, -5);
                QHash<QRgb, int> counts;
                for (int y = face.top(); y <= face.bottom(); ++y)
                    for (int x = face.left(); x <= face.right(); ++x)
                        ++counts[image.pixel(x, y)];
                const auto darker = [&](QRgb a, QRgb b) { return luminance(a) < luminance(b); };
                const double ratio = luminance(std::max_element(counts.cbegin(), counts.cend()).key()) /
                                     luminance(std::ranges::min(counts.keys(), darker));
                QVERIFY2(ratio >= 4.5,
                         qPrintable(QStringLiteral("%1%2 %3:1").arg(i).arg(lit ? " lit" : "").arg(ratio)));
            }
        }
    }
};

FRAPPIN_TEST_MAIN(TestWindow)
#include "tst_window.moc"
