// The exercise as a pupil runs it, on the real main window: the start of a series, the typed-text check, the
// hand guide at each level, the pause, the end of a series with its grade and stored results, the greeting
// when the window is activated, an abandoned series and quitting.

#include "common/intervaltimer.h"
#include "common/picturebox.h"
#include "common/platform.h"
#include "common/strings.h"
#include "common/values.h"
#include "exercise/frmmain.h"
#include "keyboard/expandword.h"
#include "settings/store.h"
#include "support/sandbox.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTest>

#include <map>
#include <memory>

Q_DECLARE_METATYPE(std::vector<int>)

namespace {

// Characters of the test keyboard file, by key marker.
const std::map<int, QString> &testKeys()
{
    static const std::map<int, QString> keys = {
        {18, "é"}, {23, "è"}, {25, "ç"}, {26, "à"}, {38, "a"}, {39, "z"}, {40, "e"}, {41, "r"}, {42, "t"},
        {43, "y"}, {44, "u"}, {45, "i"}, {46, "o"}, {47, "p"}, {48, "^"}, {59, "q"}, {60, "s"}, {61, "d"},
        {62, "f"}, {63, "g"}, {64, "h"}, {65, "j"}, {66, "k"}, {67, "l"}, {68, "m"}, {74, "¨"}, {76, "w"},
        {77, "x"}, {78, "c"}, {79, "v"}, {80, "b"}, {81, "n"}, {94, " "},
    };
    return keys;
}

QByteArray testKeyboardFile()
{
    QString text = QStringLiteral("# clavier de test\r\n");
    for (int i = 0; i < frmMain::MarkerCount; ++i) {
        const auto key = testKeys().find(i);
        text += QString::number(i) + u',' + (key == testKeys().end() ? QString() : key->second) + "\r\n";
    }
    return text.toUtf8();
}

int markerOf(const QString &c)
{
    for (const auto &[index, key] : testKeys()) {
        if (key == c)
            return index;
    }
    return -1;
}

// A started program with a word list of its own, a fixed clock and a fixed draw.
class Program {
public:
    explicit Program(const QStringList &words, const QString &niveau = QString())
    {
        sandbox.writeFile("frappin.mot", (words.join("\r\n") + "\r\n").toUtf8());
        sandbox.writeFile("clavier.dat", testKeyboardFile());
        if (!niveau.isNull())
            Store::Write(Store::Frappin, Store::Demarrage, Store::Niveau, niveau);
        setClockForTests([this] { return now; });
        setRandomForTests([this] { return draws.isEmpty() ? 0.0 : draws.takeFirst(); });
        window = std::make_unique<frmMain>();
        window->show();
    }
    ~Program() { window.reset(); }

    QLineEdit *typing() const { return window->findChild<QLineEdit *>("MonTexte"); }
    QLineEdit *word() const { return window->findChild<QLineEdit *>("MotATaper"); }
    PictureBox *picture(const char *name) const { return window->findChild<PictureBox *>(name); }
    QPushButton *start() const { return window->findChild<QPushButton *>("BoutonDepart"); }
    QString label(const char *name) const { return window->findChild<QLabel *>(name)->text(); }
    bool wordAreaShown() const
    {
        const bool shown = word()->isVisibleTo(window.get());
        if (window->findChild<QLabel *>("Consigne")->isVisibleTo(window.get()) != shown ||
            window->findChild<QWidget *>("MotATaperBord")->isVisibleTo(window.get()) != shown)
            qFatal("the word area is shown or hidden as a whole");
        return shown;
    }
    bool shown(const char *name) const { return picture(name)->isVisibleTo(window.get()); }

    // Types one character as the keyboard gives it: ASCII as a key press, anything else (a letter composed
    // with a dead key included) as an input-method commit.
    void type(const QString &text) const
    {
        for (QChar c : text) {
            if (c.unicode() < 128) {
                QTest::keyClick(typing(), c.toLatin1());
            } else {
                QInputMethodEvent commit;
                commit.setCommitString(QString(c));
                QApplication::sendEvent(typing(), &commit);
            }
        }
    }
    void backspace() const { QTest::keyClick(typing(), Qt::Key_Backspace); }
    void paste(const QString &text) const
    {
        QApplication::clipboard()->setText(text);
        typing()->paste();
    }
    // Ends the pause after a completed word as its tick would.
    void tickPause() const
    {
        QVERIFY(window->Timer(0)->isTicking());
        window->Timer_Timer(0);
    }
    void completeWord(int secondsLater = 0)
    {
        type(word()->text());
        now = now.addSecs(secondsLater);
        tickPause();
    }
    QString result(const QString &section, const QString &key) const
    {
        return Store::Read(Store::Frappin, section, key, "<absent>");
    }

    // The hand hangs right below the key marker: its top-left corner lies at the marker's left edge and
    // below the marker, each pulled back by the whole-unit truncation (at most 84 twips across, 54 down).
    bool pointsAt(const char *hand, int marker, int unitsLeft = 0) const
    {
        const QRect twips = window->toucheTwips(marker);
        const QPoint at = picture(hand)->pos() * 15;
        const double left = twips.left() - unitsLeft * 83.7;
        return at.x() <= left + 8 && at.x() >= left - 84 - 8 && at.y() <= twips.bottom() + 8 &&
               at.y() >= twips.bottom() - 54 - 60;
    }

    Sandbox sandbox;
    QDateTime now{QDate(2026, 12, 7), QTime(10, 0, 0)};
    QList<double> draws;
    std::unique_ptr<frmMain> window;
};

} // namespace

class TestSeries : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void startShowsADrawnWordWithTheHandOnItsFirstKey();
    void drawTakesTheWholePartOfRTimesTheCount_data();
    void drawTakesTheWholePartOfRTimesTheCount();
    void typingIsCheckedAtEachChange_data();
    void typingIsCheckedAtEachChange();
    void deadKeyLetterShowsBothHands();
    void completedWordShowsBravoAndStartsThePause();
    void typingAgainDuringThePauseCountsTheWordAgain();
    void typingBeforeTheFirstSeriesCountsButNeverCompletes();
    void guideFollowsTheLevel_data();
    void guideFollowsTheLevel();
    void guideTimeOutIsRestartedAndStopped();
    void wholeSeriesEndsWithTheStoredGrade();
    void resultsFollowDerniere_data();
    void resultsFollowDerniere();
    void nouveauDuringASeriesStartsAfresh();
    void greetingReturnsOnlyDuringTheFirstWord();
    void abandonedSeriesDrawsNoFurtherWord();
    void abandonedLastWordStillEndsTheSeries();
    void entryThatCannotBeSplitShowsItsWord();
    void quitQuestionAnsweredNoKeepsTheSeries();
};

void TestSeries::startShowsADrawnWordWithTheHandOnItsFirstKey()
{
    Program p({"chat,,", "été,,", "fête,,"});
    p.draws = {0.5};
    QVERIFY(p.start()->isEnabled());
    p.start()->click();
    QVERIFY(!p.start()->isEnabled());
    QCOMPARE(p.word()->text(), QStringLiteral("été"));
    QVERIFY(p.wordAreaShown());
    QCOMPARE(p.label("Message"), QString());
    QCOMPARE(p.label("TaNoteTexte"), QStringLiteral("Ton texte"));
    QCOMPARE(p.typing()->text(), QString());
    QVERIFY(p.shown("MainDroite"));
    QVERIFY(!p.shown("MainGauche"));
    QVERIFY(!p.shown("Bravo"));
    // "é" has a key of its own.
    QVERIFY(p.pointsAt("MainDroite", markerOf("é")));
    QCOMPARE(values().EnCours, 1);
    QCOMPARE(values().MotsRestants, 5);
    QCOMPARE(values().HeureDebut, p.now);
    QCOMPARE(values().NiveauGuide, QStringLiteral("0"));
}

void TestSeries::drawTakesTheWholePartOfRTimesTheCount_data()
{
    QTest::addColumn<double>("r");
    QTest::addColumn<QString>("word");
    QTest::newRow("0") << 0.0 << "un";
    QTest::newRow("just under a third") << 0.3333 << "un";
    QTest::newRow("a third") << 1.0 / 3 << "deux";
    QTest::newRow("just under one") << 0.9999999999 << "trois";
}

void TestSeries::drawTakesTheWholePartOfRTimesTheCount()
{
    QFETCH(double, r);
    QFETCH(QString, word);
    Program p({"un,,", "# commentaire", "deux,,", "trois,,"});
    p.draws = {r};
    p.start()->click();
    QCOMPARE(p.word()->text(), word);
}

void TestSeries::typingIsCheckedAtEachChange_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("pasted");
    QTest::addColumn<int>("mistakes");
    QTest::addColumn<int>("selectionStart");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<QString>("handOn");

    QTest::newRow("right so far") << "chat"
                                  << "ch" << false << 0 << 2 << ""
                                  << "a";
    QTest::newRow("wrong letter selected, hand on the right one") << "chat"
                                                                  << "chx" << false << 1 << 2 << "x"
                                                                  << "a";
    QTest::newRow("wrong letter replaced") << "chat"
                                           << "chxa" << false << 1 << 3 << ""
                                           << "t";
    QTest::newRow("wrong capital pasted") << "chat"
                                          << "Chat" << true << 1 << 0 << "Chat"
                                          << "t";
    // Past the end of the word there is no key to show: the hand stays where the start put it.
    QTest::newRow("letter too many pasted") << "chat"
                                            << "chatx" << true << 1 << 4 << ""
                                            << "c";
    QTest::newRow("several wrong letters pasted") << "chat"
                                                  << "xyz" << true << 1 << 0 << "xyz"
                                                  << "a";
    QTest::newRow("accented letter typed") << "été"
                                           << "ét" << false << 0 << 2 << ""
                                           << "é";
    QTest::newRow("accent missing") << "été"
                                    << "e" << false << 1 << 0 << "e"
                                    << "é";
}

void TestSeries::typingIsCheckedAtEachChange()
{
    QFETCH(QString, word);
    QFETCH(QString, typed);
    QFETCH(bool, pasted);
    QFETCH(int, mistakes);
    QFETCH(int, selectionStart);
    QFETCH(QString, selected);
    QFETCH(QString, handOn);

    Program p({word + ",,"});
    p.start()->click();
    if (pasted) {
        p.paste(typed);
    } else {
        // A wrong character stays selected, so the next key replaces it.
        p.type(typed);
    }
    QCOMPARE(values().FautesMot, mistakes);
    const int start =
        p.typing()->hasSelectedText() ? p.typing()->selectionStart() : p.typing()->cursorPosition();
    QCOMPARE(start, selectionStart);
    QCOMPARE(p.typing()->selectedText(), selected);
    QVERIFY(p.shown("MainDroite"));
    QVERIFY(!p.shown("MainGauche"));
    QVERIFY(p.pointsAt("MainDroite", markerOf(handOn)));
    QVERIFY(!p.shown("Bravo"));
    QCOMPARE(values().FautesSerie, 0);
}

void TestSeries::deadKeyLetterShowsBothHands()
{
    Program p({"fête,,"});
    p.start()->click();
    p.type("f");
    QVERIFY(p.shown("MainDroite"));
    QVERIFY(p.shown("MainGauche"));
    QVERIFY(p.pointsAt("MainDroite", markerOf("^")));
    QVERIFY(p.pointsAt("MainGauche", markerOf("e"), 2));
    // The composed letter arrives in one change, and the guide goes on with the next letter.
    p.type("ê");
    QCOMPARE(values().FautesMot, 0);
    QVERIFY(!p.shown("MainGauche"));
    QVERIFY(p.pointsAt("MainDroite", markerOf("t")));

    Program q({"naïf,,"});
    q.start()->click();
    q.type("na");
    QVERIFY(q.pointsAt("MainDroite", markerOf("¨")));
    QVERIFY(q.pointsAt("MainGauche", markerOf("i"), 2));
    q.type("ïf");
    QVERIFY(q.shown("Bravo"));
}

void TestSeries::completedWordShowsBravoAndStartsThePause()
{
    Program p({"chat,,"});
    p.start()->click();
    p.type("cx");
    p.type("hat");
    QCOMPARE(p.typing()->text(), QStringLiteral("chat"));
    QVERIFY(p.shown("Bravo"));
    QVERIFY(!p.shown("MainDroite"));
    QVERIFY(!p.shown("MainGauche"));
    QCOMPARE(p.window->Timer(0)->interval(), 2000);
    QVERIFY(p.window->Timer(0)->isEnabled());
    QCOMPARE(values().FautesSerie, 1);

    p.tickPause();
    QCOMPARE(p.window->Timer(0)->interval(), 0);
    QVERIFY(!p.window->Timer(0)->isEnabled());
    QVERIFY(!p.shown("Bravo"));
    QCOMPARE(values().MotsRestants, 4);
    QCOMPARE(values().NbCaracteres, 4);
    QCOMPARE(values().FautesMot, 0);
    QCOMPARE(p.typing()->text(), QString());
    QCOMPARE(p.word()->text(), QStringLiteral("chat"));
}

void TestSeries::typingAgainDuringThePauseCountsTheWordAgain()
{
    Program p({"chat,,"});
    p.start()->click();
    p.type("chzat");
    QCOMPARE(values().FautesSerie, 1);
    p.backspace();
    p.type("t");
    QCOMPARE(values().FautesSerie, 2);
    QVERIFY(p.window->Timer(0)->isTicking());
    p.tickPause();
    QCOMPARE(values().MotsRestants, 4);
}

void TestSeries::typingBeforeTheFirstSeriesCountsButNeverCompletes()
{
    Program p({"chat,,"});
    QCOMPARE(p.typing()->text(), QString());
    p.type("a");
    p.type("b");
    QCOMPARE(p.typing()->text(), QStringLiteral("ba"));
    QCOMPARE(p.typing()->cursorPosition(), 0);
    QVERIFY(!p.typing()->hasSelectedText());
    QCOMPARE(values().FautesMot, 2);
    QVERIFY(!p.shown("Bravo"));
    // With no word there is nothing to type: the hand does not point at a key that types nothing (Echap).
    QVERIFY(!p.pointsAt("MainDroite", 0));
    QVERIFY(!p.window->Timer(0)->isTicking());
    // The start of a series forgets them.
    p.start()->click();
    QCOMPARE(values().FautesMot, 0);
    QCOMPARE(values().FautesSerie, 0);
}

void TestSeries::guideFollowsTheLevel_data()
{
    QTest::addColumn<QString>("niveau");
    QTest::addColumn<bool>("rightShown");
    QTest::addColumn<bool>("leftShown");
    QTest::addColumn<bool>("timeOut");
    QTest::newRow("1 - pas à pas") << "0" << true << true << false;
    QTest::newRow("2 - guide limité") << "1" << true << true << true;
    QTest::newRow("3 - pas de guide") << "2" << false << false << false;
}

void TestSeries::guideFollowsTheLevel()
{
    QFETCH(QString, niveau);
    QFETCH(bool, rightShown);
    QFETCH(bool, leftShown);
    QFETCH(bool, timeOut);
    Program p({"bête,,"}, niveau);
    p.start()->click();
    QCOMPARE(p.shown("MainDroite"), rightShown);
    QCOMPARE(p.window->Timer(1)->isTicking(), timeOut);
    if (timeOut)
        QCOMPARE(p.window->Timer(1)->interval(), 1000);
    p.type("b");
    QCOMPARE(p.shown("MainDroite"), rightShown);
    QCOMPARE(p.shown("MainGauche"), leftShown);
    if (rightShown)
        QVERIFY(p.pointsAt("MainDroite", markerOf("^")));
}

void TestSeries::guideTimeOutIsRestartedAndStopped()
{
    Program p({"chat,,", "chien,,"}, "1");
    p.start()->click();
    p.type("c");
    QVERIFY(p.window->Timer(1)->isTicking());
    // The tick of the time-out hides both hands and stops it.
    p.window->Timer_Timer(1);
    QVERIFY(!p.shown("MainDroite"));
    QVERIFY(!p.shown("MainGauche"));
    QVERIFY(!p.window->Timer(1)->isEnabled());
    QCOMPARE(p.window->Timer(1)->interval(), 0);
    // The next keystroke shows the hand and starts the count again.
    p.type("h");
    QVERIFY(p.shown("MainDroite"));
    QVERIFY(p.window->Timer(1)->isTicking());

    // At the end of the series a running time-out is stopped; the hands stay as they were.
    Store::Write(Store::Frappin, Store::Demarrage, Store::Derniere, "Léa");
    p.type("at");
    for (int word = 1; word < 5; ++word) {
        p.tickPause();
        p.type(p.word()->text().left(1));
        p.type(p.word()->text().mid(1));
    }
    QVERIFY(p.window->Timer(1)->isTicking());
    p.tickPause();
    QVERIFY(!p.window->Timer(1)->isEnabled());
    QCOMPARE(p.window->Timer(1)->interval(), 0);
}

void TestSeries::wholeSeriesEndsWithTheStoredGrade()
{
    Program p({"chat,,"});
    Store::Write(Store::Frappin, Store::Demarrage, Store::Derniere, "Léa");
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    p.start()->click();
    p.type("chx");
    p.type("at");
    QCOMPARE(values().FautesSerie, 1);
    p.tickPause();
    for (int word = 2; word <= 4; ++word)
        p.completeWord(60);
    QCOMPARE(values().MotsRestants, 1);
    p.type("chat");
    p.now = QDateTime(QDate(2026, 12, 7), QTime(10, 5, 0));
    p.tickPause();
    QLocale::setDefault(QLocale::c());

    QCOMPARE(values().MotsRestants, 0);
    QCOMPARE(values().NbCaracteres, 20);
    QCOMPARE(p.label("Message"), Texts::Invitation);
    QVERIFY(p.start()->isEnabled());
    QVERIFY(!p.wordAreaShown());
    QCOMPARE(p.label("TaNoteTexte"), QStringLiteral("Ta note est"));
    QCOMPARE(p.typing()->text(), QStringLiteral("19/20"));
    QCOMPARE(p.word()->text(), QStringLiteral("19/20"));

    QCOMPARE(p.result("Léa", Store::Note), QStringLiteral("19"));
    QCOMPARE(p.result("Léa", Store::NombreCaracteres), QStringLiteral("20"));
    QCOMPARE(p.result("Léa", Store::Niveau), QStringLiteral("1"));
    // Five minutes are 5/1440 of a day, in the user's form for numbers.
    const QString duree = p.result("Léa", Store::Duree);
    QVERIFY2(duree.startsWith(QStringLiteral("0,003472222")), qPrintable(duree));
    QCOMPARE(QLocale(QLocale::French).toDouble(duree), 5.0 / 1440);

    // Nothing is checked any more until the next series.
    p.type("abc");
    QCOMPARE(values().FautesMot, 0);
    QVERIFY(!p.window->Timer(0)->isTicking());
}

void TestSeries::resultsFollowDerniere_data()
{
    QTest::addColumn<QString>("derniere");
    QTest::addColumn<QString>("section");
    QTest::addColumn<bool>("gradeShown");
    QTest::addColumn<QString>("niveau");
    QTest::newRow("absent") << QString() << QString() << false << "0";
    QTest::newRow("empty") << "" << QString() << false << "0";
    QTest::newRow("blanks around") << "  Tom  "
                                   << "Tom" << true << "2";
    QTest::newRow("only blanks") << "   " << QString() << true << "0";
}

void TestSeries::resultsFollowDerniere()
{
    QFETCH(QString, derniere);
    QFETCH(QString, section);
    QFETCH(bool, gradeShown);
    QFETCH(QString, niveau);
    Program p({"le,,"}, niveau);
    if (!derniere.isNull())
        Store::Write(Store::Frappin, Store::Demarrage, Store::Derniere, derniere);
    p.start()->click();
    for (int word = 0; word < 5; ++word)
        p.completeWord();

    QVERIFY(p.start()->isEnabled());
    QCOMPARE(p.label("Message"), Texts::Invitation);
    QCOMPARE(!p.wordAreaShown(), gradeShown);
    QCOMPARE(p.typing()->text(), gradeShown ? QStringLiteral("20/20") : QStringLiteral("le"));
    if (!section.isEmpty()) {
        QCOMPARE(p.result(section, Store::Note), QStringLiteral("20"));
        QCOMPARE(p.result(section, Store::Niveau), QString::number(niveau.toInt() + 1));
        QCOMPARE(p.result(derniere, Store::Note), QStringLiteral("<absent>"));
    }
    // Nothing but the pupil's section is written: the teacher's section holds what the test put there.
    QCOMPARE(Store::Read(Store::Frappin, Store::Demarrage, Store::Note, "<absent>"),
             QStringLiteral("<absent>"));
    QCOMPARE(p.result("", Store::Note), QStringLiteral("<absent>"));
}

void TestSeries::nouveauDuringASeriesStartsAfresh()
{
    Program p({"chat,,", "lune,,"});
    Store::Write(Store::Frappin, Store::Demarrage, Store::Derniere, "Léa");
    p.draws = {0.0, 0.0, 0.9};
    p.start()->click();
    p.type("cx");
    p.type("hat");
    p.tickPause();
    QCOMPARE(values().NbCaracteres, 4);
    p.type("x");

    p.now = p.now.addSecs(30);
    p.window->findChild<QAction *>("mnuNouveau")->trigger();
    QCOMPARE(p.word()->text(), QStringLiteral("lune"));
    QCOMPARE(values().FautesMot, 0);
    QCOMPARE(values().FautesSerie, 0);
    QCOMPARE(values().NbCaracteres, 0);
    QCOMPARE(values().MotsRestants, 5);
    QCOMPARE(values().HeureDebut, p.now);
    QVERIFY(!p.start()->isEnabled());
    QCOMPARE(p.result("Léa", Store::Note), QStringLiteral("<absent>"));
}

void TestSeries::greetingReturnsOnlyDuringTheFirstWord()
{
    Program p({"chat,,"});
    Store::Write(Store::Frappin, Store::Demarrage, Store::Prenom, " Zoé ");
    QDialog dialog;
    dialog.setProperty(frmMain::OwnDialogProperty, true);
    const auto visitDialog = [&] {
        dialog.show();
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        dialog.hide();
        p.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(p.window.get()));
    };
    p.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(p.window.get()));

    p.start()->click();
    p.type("ch");
    visitDialog();
    QCOMPARE(p.typing()->text(), QStringLiteral("Zoé"));

    // A message box is not one of the program's dialogs.
    p.typing()->setText("ch");
    QDialog other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    other.hide();
    p.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(p.window.get()));
    QCOMPARE(p.typing()->text(), QStringLiteral("ch"));

    p.typing()->clear();
    p.type("chat");
    p.tickPause();
    p.type("ch");
    visitDialog();
    QCOMPARE(p.typing()->text(), QStringLiteral("ch"));
}

void TestSeries::abandonedSeriesDrawsNoFurtherWord()
{
    Program p({"chat,,"});
    p.start()->click();
    // What opening the settings dialog does to the series.
    values().EnCours = 0;
    p.type("chat");
    p.tickPause();
    QCOMPARE(values().MotsRestants, 4);
    QCOMPARE(p.word()->text(), QString());
    QVERIFY(p.wordAreaShown());
    // The empty word can never be completed.
    p.type("a");
    QVERIFY(!p.shown("Bravo"));
    QVERIFY(!p.window->Timer(0)->isTicking());
}

void TestSeries::abandonedLastWordStillEndsTheSeries()
{
    Program p({"chat,,"});
    Store::Write(Store::Frappin, Store::Demarrage, Store::Derniere, "Léa");
    p.start()->click();
    for (int word = 0; word < 4; ++word)
        p.completeWord();
    values().EnCours = 0;
    p.completeWord();
    QCOMPARE(values().MotsRestants, 0);
    QCOMPARE(p.result("Léa", Store::Note), QStringLiteral("20"));
    QCOMPARE(p.result("Léa", Store::NombreCaracteres), QStringLiteral("20"));
}

void TestSeries::entryThatCannotBeSplitShowsItsWord()
{
    Program p({"chat" + QString(40, u','), "mot" + QString(33000, u'x') + ",,"});
    p.draws = {0.0, 0.9};
    p.start()->click();
    QCOMPARE(p.word()->text(), QStringLiteral("chat"));
    p.window->findChild<QAction *>("mnuNouveau")->trigger();
    // The typing box holds at most 32767 characters; the word is shown as far as it goes.
    QVERIFY(p.word()->text().startsWith(QStringLiteral("motxxx")));
    QVERIFY(p.word()->text().size() > MaxSplitLength);
}

void TestSeries::quitQuestionAnsweredNoKeepsTheSeries()
{
    Program p({"chat,,"});
    p.start()->click();
    p.type("ch");
    p.sandbox.answers = {MsgAnswer::No};
    p.window->findChild<QAction *>("mnuQuitter")->trigger();
    QCOMPARE(p.sandbox.messages.size(), 1);
    const MessageRequest &question = p.sandbox.messages.first();
    QCOMPARE(question.text, QStringLiteral("Voulez-vous quitter le programme ?"));
    QCOMPARE(question.title, Texts::ApplicationTitle);
    QCOMPARE(question.buttons, MsgButtons::YesNo);
    QCOMPARE(question.icon, MsgIcon::Exclamation);
    QVERIFY(p.window->isVisible());
    QCOMPARE(p.typing()->text(), QStringLiteral("ch"));
    QCOMPARE(values().EnCours, 1);
}

FRAPPIN_TEST_MAIN(TestSeries)
#include "tst_series.moc"
