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

#include <QClipboard>
#include <QDialog>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

#include <map>
#include <memory>

namespace {

// The markers of the keys the tests look at, as the shipped keyboard file gives them.
const std::map<QString, int> Markers = {{"", 0},   {"é", 18}, {"a", 38}, {"e", 40}, {"t", 42}, {"i", 45},
                                        {"^", 48}, {"d", 61}, {"¨", 74}, {"c", 78}, {" ", 94}};

// A started program with a word list of its own, a fixed clock and a fixed draw.
class Program {
public:
    explicit Program(const QStringList &words, const QString &niveau = QString())
    {
        sandbox.copyShippedFile("clavier.dat");
        sandbox.writeFile("frappin.mot", (words.join("\r\n") + "\r\n").toUtf8());
        if (!niveau.isNull())
            Store::Write(Store::Frappin, Store::Demarrage, Store::Niveau, niveau);
        setClockForTests([this] { return now; });
        setRandomForTests([this] { return draws.isEmpty() ? 0.0 : draws.takeFirst(); });
        window = std::make_unique<frmMain>();
        window->show();
    }

    QLineEdit *typing() const { return window->findChild<QLineEdit *>("MonTexte"); }
    QLineEdit *word() const { return window->findChild<QLineEdit *>("MotATaper"); }
    QPushButton *start() const { return window->findChild<QPushButton *>("BoutonDepart"); }
    QString label(const char *name) const { return window->findChild<QLabel *>(name)->text(); }
    IntervalTimer *pause() const { return window->Timer(0); }
    IntervalTimer *timeOut() const { return window->Timer(1); }
    bool wordAreaShown() const
    {
        const bool shown = word()->isVisibleTo(window.get());
        if (window->findChild<QLabel *>("Consigne")->isVisibleTo(window.get()) != shown ||
            window->findChild<QWidget *>("MotATaperBord")->isVisibleTo(window.get()) != shown)
            qFatal("the word area is shown or hidden as a whole");
        return shown;
    }
    bool shown(const char *name) const { return window->findChild<PictureBox *>(name)->isVisible(); }

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
    void paste(const QString &text) const
    {
        QApplication::clipboard()->setText(text);
        typing()->paste();
    }
    // Ends the pause after a completed word as its tick would.
    void tickPause() const
    {
        QVERIFY(pause()->isTicking());
        window->Timer_Timer(0);
    }
    void completeWord(int secondsLater = 0)
    {
        type(word()->text());
        now = now.addSecs(secondsLater);
        tickPause();
    }

    // The hand hangs right below the key's marker: its top-left corner lies at the marker's left edge and
    // below the marker, each pulled back by the whole-unit truncation (at most 84 twips across, 54 down).
    bool pointsAt(const char *hand, const QString &key, int unitsLeft = 0) const
    {
        const QRect twips = window->toucheTwips(Markers.at(key));
        const QPoint at = window->findChild<PictureBox *>(hand)->pos() * 15;
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
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void startShowsADrawnWordWithTheHandOnItsFirstKey_data()
    {
        QTest::addColumn<double>("r");
        QTest::addColumn<QString>("word");
        QTest::newRow("0") << 0.0 << "été";
        QTest::newRow("just under a third") << 0.3333 << "été";
        QTest::newRow("a third") << 1.0 / 3 << "deux";
        QTest::newRow("just under one") << 0.9999999999 << "trois";
    }
    // Starting draws entry Int(r x count), comments not counted, and shows it with the hand on its first key.
    void startShowsADrawnWordWithTheHandOnItsFirstKey()
    {
        QFETCH(double, r);
        QFETCH(QString, word);
        Program p({"été,,", "# commentaire", "deux,,", "trois,,"});
        p.draws = {r};
        p.start()->click();
        QVERIFY(!p.start()->isEnabled());
        QCOMPARE(p.word()->text(), word);
        QVERIFY(p.wordAreaShown());
        QCOMPARE(p.label("Message"), QString());
        QVERIFY(p.shown("MainDroite") && !p.shown("MainGauche") && !p.shown("Bravo"));
        QVERIFY(p.pointsAt("MainDroite", word.left(1)));
    }

    void typingIsCheckedAtEachChange_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("pasted");
        QTest::addColumn<int>("mistakes");
        QTest::addColumn<int>("selectionStart");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QString>("handOn");
        // Past the end of the word there is no key to show, and no hand.
        // clang-format off
        QTest::newRow("right so far")           << "chat" << "ch"    << false << 0 << 2 << ""     << "a";
        QTest::newRow("wrong letter selected")  << "chat" << "chx"   << false << 1 << 2 << "x"    << "a";
        QTest::newRow("wrong letter replaced")  << "chat" << "chxa"  << false << 1 << 3 << ""     << "t";
        QTest::newRow("wrong capital pasted")   << "chat" << "Chat"  << true  << 1 << 0 << "Chat" << "t";
        QTest::newRow("letter too many pasted") << "chat" << "chatx" << true  << 1 << 4 << ""     << "";
        QTest::newRow("several wrong pasted")   << "chat" << "xyz"   << true  << 1 << 0 << "xyz"  << "a";
        QTest::newRow("accented letter typed")  << "été"  << "ét"    << false << 0 << 2 << ""     << "é";
        QTest::newRow("accent missing")         << "été"  << "e"     << false << 1 << 0 << "e"    << "é";
        QTest::newRow("blank is a character")   << " la"  << "l"     << false << 1 << 0 << "l"    << " ";
        // clang-format on
    }
    // A wrong change counts a mistake and selects from the first wrong character; the hand shows the key due.
    void typingIsCheckedAtEachChange()
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
        if (pasted)
            p.paste(typed);
        else
            p.type(typed);
        QCOMPARE(values().FautesMot, mistakes);
        const int start =
            p.typing()->hasSelectedText() ? p.typing()->selectionStart() : p.typing()->cursorPosition();
        QCOMPARE(start, selectionStart);
        QCOMPARE(p.typing()->selectedText(), selected);
        QVERIFY(!p.shown("MainGauche") && !p.shown("Bravo"));
        QCOMPARE(p.shown("MainDroite"), !handOn.isEmpty());
        QVERIFY(handOn.isEmpty() || p.pointsAt("MainDroite", handOn));
        QCOMPARE(values().FautesSerie, 0);
    }

    // A dead-key letter shows the right hand on the dead key and the left one on the base letter.
    void deadKeyLetterShowsBothHands()
    {
        Program p({"fête,,"});
        p.start()->click();
        p.type("f");
        QVERIFY(p.shown("MainDroite") && p.shown("MainGauche"));
        QVERIFY(p.pointsAt("MainDroite", "^"));
        QVERIFY(p.pointsAt("MainGauche", "e", 2));
        p.type("ê");
        QCOMPARE(values().FautesMot, 0);
        QVERIFY(!p.shown("MainGauche"));
        QVERIFY(p.pointsAt("MainDroite", "t"));

        Program q({"naïf,,"});
        q.start()->click();
        q.type("na");
        QVERIFY(q.pointsAt("MainDroite", "¨"));
        QVERIFY(q.pointsAt("MainGauche", "i", 2));
        q.type("ïf");
        QVERIFY(q.shown("Bravo"));
    }

    // A completed word shows "Bravo !" and counts its mistakes, again if typed again during the pause.
    void completedWordShowsBravoAndStartsThePause()
    {
        Program p({"chat,,"});
        p.start()->click();
        p.type("cx");
        p.type("hat");
        QVERIFY(p.shown("Bravo") && !p.shown("MainDroite") && !p.shown("MainGauche"));
        QCOMPARE(p.pause()->interval(), 2000);
        QCOMPARE(values().FautesSerie, 1);
        QTest::keyClick(p.typing(), Qt::Key_Backspace);
        p.type("t");
        QCOMPARE(values().FautesSerie, 2);

        p.tickPause();
        QVERIFY(!p.pause()->isTicking() && !p.shown("Bravo"));
        QCOMPARE(values().MotsRestants, 4);
    }

    // Before the first series each change counts a mistake and nothing completes, until the start.
    void typingBeforeTheFirstSeriesCountsButNeverCompletes()
    {
        Program p({"chat,,"});
        p.type("ab");
        QCOMPARE(p.typing()->text(), QStringLiteral("ba"));
        QCOMPARE(p.typing()->cursorPosition(), 0);
        QVERIFY(!p.typing()->hasSelectedText());
        QCOMPARE(values().FautesMot, 2);
        QVERIFY(!p.shown("Bravo"));
        // With no word there is nothing to type: the hand does not point at a key that types nothing (Echap).
        QVERIFY(!p.pointsAt("MainDroite", ""));
        QVERIFY(!p.pause()->isTicking());
        p.start()->click();
        QCOMPARE(values().FautesMot, 0);
        QCOMPARE(values().FautesSerie, 0);
    }

    void guideFollowsTheLevel_data()
    {
        QTest::addColumn<QString>("niveau");
        QTest::addColumn<bool>("guided");
        QTest::addColumn<bool>("timeOut");
        QTest::newRow("1 - pas à pas") << "0" << true << false;
        QTest::newRow("2 - guide limité") << "1" << true << true;
        QTest::newRow("3 - pas de guide") << "2" << false << false;
    }
    // Level 1 guides at every key, level 2 with a one-second time-out, level 3 shows no hand.
    void guideFollowsTheLevel()
    {
        QFETCH(QString, niveau);
        QFETCH(bool, guided);
        QFETCH(bool, timeOut);
        Program p({"bête,,"}, niveau);
        p.start()->click();
        QCOMPARE(p.shown("MainDroite"), guided);
        QCOMPARE(p.timeOut()->isTicking(), timeOut);
        if (timeOut)
            QCOMPARE(p.timeOut()->interval(), 1000);
        p.type("b");
        QCOMPARE(p.shown("MainDroite"), guided);
        QCOMPARE(p.shown("MainGauche"), guided);
        if (guided)
            QVERIFY(p.pointsAt("MainDroite", "^"));
    }

    // The time-out hides the hands; the next key restarts it; the end of the series stops it.
    void guideTimeOutIsRestartedAndStopped()
    {
        Program p({"chat,,", "chien,,"}, "1");
        p.start()->click();
        p.type("c");
        QVERIFY(p.timeOut()->isTicking());
        p.window->Timer_Timer(1);
        QVERIFY(!p.shown("MainDroite") && !p.shown("MainGauche") && !p.timeOut()->isTicking());
        p.type("h");
        QVERIFY(p.shown("MainDroite") && p.timeOut()->isTicking());

        Store::Write(Store::Frappin, Store::Demarrage, Store::Derniere, "Léa");
        p.type("at");
        for (int word = 1; word < 5; ++word) {
            p.tickPause();
            p.type(p.word()->text().left(1));
            p.type(p.word()->text().mid(1));
        }
        QVERIFY(p.timeOut()->isTicking());
        p.tickPause();
        QVERIFY(!p.timeOut()->isTicking());
    }

    void wholeSeriesEndsWithTheStoredGrade_data()
    {
        QTest::addColumn<QString>("derniere"); // null: absent
        QTest::addColumn<QString>("niveau");
        QTest::addColumn<QString>("section"); // where the results go; empty: nowhere
        QTest::addColumn<bool>("gradeShown");
        // clang-format off
        QTest::newRow("Léa")                    << "Léa"     << "0" << "Léa" << true;
        QTest::newRow("blanks around, level 3") << "  Tom  " << "2" << "Tom" << true;
        QTest::newRow("absent")                 << QString() << "0" << ""    << false;
        QTest::newRow("empty")                  << ""        << "0" << ""    << false;
        QTest::newRow("only blanks")            << "   "     << "0" << ""    << true;
        // clang-format on
    }
    // A series of five words ends with the grade shown and stored in the section "Dernière" names.
    void wholeSeriesEndsWithTheStoredGrade()
    {
        QFETCH(QString, derniere);
        QFETCH(QString, niveau);
        QFETCH(QString, section);
        QFETCH(bool, gradeShown);
        Program p({"chat,,"}, niveau);
        if (!derniere.isNull())
            Store::Write(Store::Frappin, Store::Demarrage, Store::Derniere, derniere);
        QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
        p.start()->click();
        p.type("chx");
        p.type("at");
        p.tickPause();
        for (int word = 2; word <= 4; ++word)
            p.completeWord(60);
        p.type("chat");
        p.now = QDateTime(QDate(2026, 12, 7), QTime(10, 5, 0));
        p.tickPause();

        QCOMPARE(values().NbCaracteres, 20);
        QCOMPARE(p.label("Message"), Texts::Invitation);
        QVERIFY(p.start()->isEnabled());
        QCOMPARE(!p.wordAreaShown(), gradeShown);
        QCOMPARE(p.label("TaNoteTexte"),
                 gradeShown ? QStringLiteral("Ta note est") : QStringLiteral("Ton texte"));
        QCOMPARE(p.typing()->text(), gradeShown ? QStringLiteral("19/20") : QStringLiteral("chat"));
        QStringList sections{Store::Demarrage};
        if (!section.isEmpty()) {
            sections.append(section);
            QCOMPARE(p.word()->text(), QStringLiteral("19/20"));
            QCOMPARE(readSetting(Store::Note, section), QStringLiteral("19"));
            QCOMPARE(readSetting(Store::NombreCaracteres, section), QStringLiteral("20"));
            QCOMPARE(readSetting(Store::Niveau, section), QString::number(niveau.toInt() + 1));
            // Five minutes are 5/1440 of a day, in the user's form for numbers.
            const QString duree = readSetting(Store::Duree, section);
            QVERIFY2(duree.startsWith(QStringLiteral("0,003472222")), qPrintable(duree));
            QCOMPARE(QLocale(QLocale::French).toDouble(duree), 5.0 / 1440);
        }
        QCOMPARE(Store::Sections(Store::Frappin), sections);
        QCOMPARE(readSetting(Store::Note), QStringLiteral("<absent>"));
        QVERIFY(p.sandbox.messages.isEmpty());

        p.type("abc");
        QCOMPARE(values().FautesMot, 0);
        QVERIFY(!p.pause()->isTicking());
    }

    // "&Nouveau" during a series starts a new one, with a new draw and the counts afresh, nothing stored.
    void nouveauDuringASeriesStartsAfresh()
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
        QCOMPARE(p.typing()->text(), QString());
        QCOMPARE(values().FautesMot, 0);
        QCOMPARE(values().FautesSerie, 0);
        QCOMPARE(values().NbCaracteres, 0);
        QCOMPARE(values().MotsRestants, 5);
        QCOMPARE(values().HeureDebut, p.now);
        QCOMPARE(readSetting(Store::Note, "Léa"), QStringLiteral("<absent>"));

        // During the pause after a word, the word is not counted in the new series.
        p.type("lune");
        QVERIFY(p.pause()->isTicking());
        p.window->findChild<QAction *>("mnuNouveau")->trigger();
        QVERIFY(!p.pause()->isTicking() && !p.shown("Bravo"));
        QCOMPARE(values().NbCaracteres, 0);
        QCOMPARE(values().MotsRestants, 5);
    }

    // Back from the program's own dialog during the first word, and only then, the pupil is greeted again.
    void greetingReturnsOnlyDuringTheFirstWord()
    {
        Program p({"chat,,"});
        Store::Write(Store::Frappin, Store::Demarrage, Store::Prenom, " Zoé ");
        QDialog own;
        own.setProperty(frmMain::OwnDialogProperty, true);
        QDialog other;
        const auto visit = [&](QDialog &dialog) {
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
        visit(own);
        QCOMPARE(p.typing()->text(), QStringLiteral("Zoé"));
        p.typing()->setText("ch");
        visit(other);
        QCOMPARE(p.typing()->text(), QStringLiteral("ch"));
        // A question box of the program's own dialog (the editor's save question) is part of that dialog.
        p.typing()->setText("ch");
        own.show();
        own.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&own));
        QDialog question(&own);
        visit(question);
        own.hide();
        QCOMPARE(p.typing()->text(), QStringLiteral("Zoé"));
        p.typing()->setText("ch");

        p.typing()->clear();
        p.type("chat");
        p.tickPause();
        p.type("ch");
        visit(own);
        QCOMPARE(p.typing()->text(), QStringLiteral("ch"));
    }

    // A series abandoned by the settings dialog draws no further word, but its last word still ends it.
    void abandonedSeriesDrawsNoFurtherWord()
    {
        {
            Program p({"chat,,"});
            p.start()->click();
            values().EnCours = 0;
            p.completeWord();
            QCOMPARE(values().MotsRestants, 4);
            QCOMPARE(p.word()->text(), QString());
            QVERIFY(p.wordAreaShown());
            // No hand on the key of the word that is gone: it waits beside "Commencer".
            QCOMPARE(p.window->findChild<PictureBox *>("MainDroite")->geometry(), frmMain::RestingRightHand);
            // The empty word can never be completed.
            p.type("a");
            QVERIFY(!p.shown("Bravo") && !p.pause()->isTicking());
        }
        Program p({"chat,,"});
        Store::Write(Store::Frappin, Store::Demarrage, Store::Derniere, "Léa");
        p.start()->click();
        for (int word = 0; word < 4; ++word)
            p.completeWord();
        values().EnCours = 0;
        p.completeWord();
        QCOMPARE(values().MotsRestants, 0);
        QCOMPARE(readSetting(Store::Note, "Léa"), QStringLiteral("20"));
        QCOMPARE(readSetting(Store::NombreCaracteres, "Léa"), QStringLiteral("20"));
    }

    // An entry that cannot be split shows the text before its first comma, as far as the box holds it.
    void entryThatCannotBeSplitShowsItsWord()
    {
        Program p({"chat" + QString(40, u','), "mot" + QString(33000, u'x') + ",,"});
        p.draws = {0.0, 0.9};
        p.start()->click();
        QCOMPARE(p.word()->text(), QStringLiteral("chat"));
        p.window->findChild<QAction *>("mnuNouveau")->trigger();
        // The typing box holds at most 32767 characters.
        QVERIFY(p.word()->text().startsWith(QStringLiteral("motxxx")));
        QVERIFY(p.word()->text().size() > MaxSplitLength);
    }

    // "&Quitter" asks first, and No keeps the window and the series as they were.
    void quitQuestionAnsweredNoKeepsTheSeries()
    {
        Program p({"chat,,"});
        p.start()->click();
        p.type("ch");
        p.sandbox.answers = {MsgAnswer::No};
        p.window->findChild<QAction *>("mnuQuitter")->trigger();
        const MessageRequest question{QStringLiteral("Voulez-vous quitter le programme ?"),
                                      Texts::ApplicationTitle, MsgButtons::YesNo, MsgIcon::Exclamation};
        QCOMPARE(p.sandbox.messages, QList<MessageRequest>{question});
        QVERIFY(p.window->isVisible());
        QCOMPARE(p.typing()->text(), QStringLiteral("ch"));
        QCOMPARE(values().EnCours, 1);
    }

    // Results that the store cannot take are told to the user; the grade stays shown. (Last: the store keeps
    // the refused values pending in memory for its next write, which would reach the next test's store.)
    void resultsThatCannotBeStoredAreTold()
    {
        Program p({"le,,"});
        Store::Write(Store::Frappin, Store::Demarrage, Store::Derniere, "Léa");
        p.start()->click();
        for (int word = 1; word <= 4; ++word)
            p.completeWord();
        p.type("le");
        // A full disk: the settings file may not grow while the results are written.
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit full{16, saved.rlim_max};
        setrlimit(RLIMIT_FSIZE, &full);
        p.tickPause();
        setrlimit(RLIMIT_FSIZE, &saved);

        QCOMPARE(p.typing()->text(), QStringLiteral("20/20"));
        QCOMPARE(p.sandbox.messages.size(), 1);
        QVERIFY(p.sandbox.messages[0].text.startsWith(
            QStringLiteral("Les résultats de cette série n'ont pas pu être enregistrés.")));
        QCOMPARE(p.sandbox.messages[0].icon, MsgIcon::Exclamation);
        QVERIFY(!fileBytes(TestSupport::configFolder() + "/Frappin.ini").contains("Note"));
    }
};

FRAPPIN_TEST_MAIN(TestSeries)
#include "tst_series.moc"
