// The rules of a series and of the hand guide, without a window: the check of a typed text, the grade, the
// words of a series and what is stored, dictation, the guide level, the next keystroke and where a hand goes,
// and the path: when a lesson is passed, and the words aimed at the keys a pupil misses.

#include "exercise/dictation.h"
#include "exercise/series.h"
#include "keyboard/guide.h"
#include "keyboard/keycaps.h"
#include "keyboard/keytable.h"
#include "words/path.h"
#include "words/wordlist.h"

#include <QDir>
#include <QRegularExpression>
#include <QSet>

#include <QTest>

class TestRules : public QObject {
    Q_OBJECT
    const TextTable &m_keys = values().ToucheCaractere; // the shipped key table, where the window reads it
    const qint16 &m_last = values().DerniereTouche;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(loadKeyTable(QStringLiteral(FRAPPIN_RESOURCES_DIR "/clavier.dat"), values().ToucheCaractere,
                             values().DerniereTouche));
    }

    void typedTextIsChecked_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<QStringList>("changes"); // the typing box's text after each change
        QTest::addColumn<QString>("found"); // mistakes, first wrong offset of the last change, completed
        QTest::addColumn<int>(
            "dictation");                  // 1: chosen and heard; 0: not chosen; -1: chosen, speech not heard
        QTest::addColumn<QString>("seen"); // after each change: the word box, and "+" when the guide shows
        // clang-format off
        QTest::newRow("one mistake, mended")   << "chat" << QStringList{"c", "cx", "ch", "chat"} << "1 - done" << 1 << "____- ____+ ____+ chat+";
        QTest::newRow("each wrong change, word at the 3rd") << "chat" << QStringList{"x", "xy", "xyz"} << "3 0 -" << 1 << "____+ ____+ chat+";
        QTest::newRow("letter too many")       << "chat" << QStringList{"chatx"}                  << "1 4 -" << 1 << "____+";
        QTest::newRow("capital differs")       << "chat" << QStringList{"Chat"}                   << "1 0 -" << 0 << "chat+";
        QTest::newRow("blank is a character")  << " la"  << QStringList{"l"}                      << "1 0 -" << 1 << " __+";
        QTest::newRow("empty word never done") << ""     << QStringList{"", "a"}                  << "1 0 -" << 1 << "- +";
        QTest::newRow("typed right: no guide") << "chat" << QStringList{"c", "chat"}              << "0 - done" << 1 << "____- chat-";
        QTest::newRow("guide from the 1st mistake") << "chat" << QStringList{"c", "cx", "ch", "chx", "chy"} << "3 2 -" << 1 << "____- ____+ ____+ ____+ chat+";
        QTest::newRow("phrase keeps its shape") << "l'été 12, c'est-à-dire !" << QStringList{"l"} << "0 - -" << 1 << "_'___ __, _'___-_-____ !-";
        QTest::newRow("accent on its own")     << "e\u0301t\u00e9" << QStringList{"e"}           << "0 - -" << 1 << "___-";
        QTest::newRow("speech not heard: as ever") << "chat" << QStringList{"c"}                  << "0 - -" << -1 << "chat+";
        // clang-format on
    }
    // One wrong change is one mistake; a completed word adds the word's mistakes to the series'. A dictated
    // word shows one blank per letter or digit, and the rest as it is; the guide, which would spell the word,
    // waits for its first mistake; the third mistake shows the word.
    void typedTextIsChecked()
    {
        QFETCH(QString, word);
        QFETCH(QStringList, changes);
        QFETCH(QString, found);
        QFETCH(int, dictation);
        QFETCH(QString, seen);
        Dictation dictated;
        QVERIFY(!dictated.speechFound(dictation >= 0));
        dictated.start(dictation != 0);
        QCOMPARE(dictated.fellBack(), dictation < 0);
        Series series;
        series.start(5, {}, {});
        series.FautesSerie = 2;
        std::optional<TypedCheck> check;
        QStringList shown;
        for (const QString &typed : changes) {
            check = series.check(typed, word);
            shown.append((dictated.hides(series.FautesMot, check->completed) ? dictationBlanks(word) : word) +
                         (dictated.guides(series.FautesMot) ? "+" : "-"));
        }
        QCOMPARE(QStringLiteral("%1 %2 %3")
                     .arg(series.FautesMot)
                     .arg(check->wrongFrom ? QString::number(*check->wrongFrom) : "-")
                     .arg(check->completed ? "done" : "-"),
                 found);
        QCOMPARE(series.FautesSerie, 2 + (check->completed ? series.FautesMot : 0));
        QCOMPARE(shown.join(u' '), seen);
    }

    void seriesEndsWithItsResults_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("niveau"); // as stored
        QTest::addColumn<QString>("stored"); // note | duree | caracteres | niveau
        // clang-format off
        QTest::newRow("five words, level 1") << 5  << "0"    << "19|0,00347222222222222|20|1";
        QTest::newRow("ten words, level 3")  << 10 << " 2 "  << "20|0,00347222222222222|40|3";
        QTest::newRow("level as stored")     << 5  << "2.5"  << "19|0,00347222222222222|20|3.5";
        // clang-format on
    }
    // Each finished pause counts its word; the last one ends the series and takes its time.
    void seriesEndsWithItsResults()
    {
        QFETCH(int, length);
        QFETCH(QString, niveau);
        QFETCH(QString, stored);
        const QDateTime start(QDate(2026, 12, 7), QTime(10, 0));
        Series series;
        series.start(length, GuideLevel::parse(niveau), start);
        for (int word = 1; word <= length; ++word) {
            series.newWord();
            if (word == 1 && length == 5)
                series.check(u"x", u"chat");
            QVERIFY(series.check(u"chat", u"chat")->completed);
            QCOMPARE(series.wordDone(4, start.addSecs(300)), word == length);
        }
        QVERIFY(!series.check(u"c", u"chat"));
        const SeriesResults r = series.results(QLocale(QLocale::French));
        QCOMPARE(QStringList({r.note, r.duree, r.caracteres, r.niveau}).join(u'|'), stored);
    }

    void guideShowsTheNextKeys_data()
    {
        QTest::addColumn<QString>("niveau");
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("typed"); // "-": nothing yet, in a dictated word before its first mistake
        QTest::addColumn<int>("caret");     // the selection's start, or the cursor
        // right hand's key | left hand's | lit orange / blue | time-out | pad digit, then after the dead key;
        // "-": a character the keyboard cannot type
        QTest::addColumn<QString>("shown");
        // clang-format off
        QTest::newRow("first letter")           << "0"   << "chat"  << ""     << 0 << "78||78/||";
        QTest::newRow("wrong letter selected")  << "0"   << "chat"  << "chx"  << 2 << "38||38/||";
        QTest::newRow("nothing left")           << "1"   << "chat"  << "chat" << 4 << "||/||";
        QTest::newRow("capital on the right")   << "0"   << "Léa"   << ""     << 0 << "67|74|74 67/||";
        QTest::newRow("capital, not a number")  << "inf" << "Zoé"   << ""     << 0 << "86|39|86 39/||";
        QTest::newRow("circumflex, limité")     << "1"   << "fête"  << "f"    << 1 << "48|40|48/40|1 s| then |40|/40|1 s|";
        QTest::newRow("diaeresis")              << "0"   << "Noël"  << "No"   << 2 << "48|40|74 48/40|| then |40|/40||";
        QTest::newRow("y diaeresis")            << "0"   << "Lÿ"    << "L"    << 1 << "48|43|74 48/43|| then |43|/43||";
        QTest::newRow("shifted character")      << "0"   << "?"     << ""     << 0 << "82|74|74 82/||";
        QTest::newRow("pad digit, below list")  << "-1"  << "7"     << ""     << 0 << "54||54/||pad";
        QTest::newRow("pad digit, above list")  << "7"   << "7"     << ""     << 0 << "||/||pad";
        QTest::newRow("3 - pas de guide")       << "2"   << "fête"  << "f"    << 1 << "||/|| then ||/||";
        QTest::newRow("dictated, no mistake")   << "0"   << "chat"  << "-"    << 0 << "||/||";
        QTest::newRow("oe cannot be typed")     << "0"   << "cœur"  << "c"    << 1 << "-";
        QTest::newRow("accented capital")       << "0"   << "École" << ""     << 0 << "-";
        // clang-format on
    }
    // One plain value says what the window shows for the next character: the hands on its keys, hidden when
    // not needed (a one-key letter shows no left hand), the keys lit, the time-out, and the dead key's step.
    void guideShowsTheNextKeys()
    {
        QFETCH(QString, niveau);
        QFETCH(QString, word);
        QFETCH(QString, typed);
        QFETCH(int, caret);
        QFETCH(QString, shown);
        const bool dictated = typed == u"-";
        const GuideView view =
            guideAfterChange(dictated ? QString() : typed, word, caret, !dictated, GuideLevel::parse(niveau));
        const auto keys = [](const QList<int> &list) {
            QStringList text;
            for (int key : list)
                text.append(QString::number(key));
            return text.join(u' ');
        };
        const auto step = [&keys](const GuideStep &s) {
            const auto key = [](Hand hand, const std::optional<QPoint> &at) {
                for (int i = 0; i < KeyCaps::Count && at; ++i)
                    if (handPlace(hand, i) == *at)
                        return QString::number(i);
                return QString(at ? "?" : "");
            };
            return QStringList{key(Hand::Right, s.right), key(Hand::Left, s.left),
                               keys(s.orange) + u'/' + keys(s.blue), s.timeOut ? "1 s" : ""}
                .join(u'|');
        };
        QCOMPARE(step(view.step) + (view.padDigit ? "|pad" : "|") +
                     (view.afterDeadKey ? " then " + step(*view.afterDeadKey) + u'|' : QString()),
                 shown == u"-" ? "||/||" : shown);
        QCOMPARE(untypableCharacters(word, m_keys, m_last).isEmpty(), shown != u"-");
    }

    // Every shipped list: each entry typed and guided on the French keyboard, none twice, none longer than
    // the word box shows at its font; the first lesson on the middle row alone.
    void shippedListsCanBeTyped()
    {
        const QStringList lists =
            QDir(QStringLiteral(FRAPPIN_RESOURCES_DIR)).entryList({"*.mot"}, QDir::Files);
        QVERIFY(lists.size() >= 16);
        for (const QString &name : lists) {
            TextTable entries;
            qint16 count = 0;
            QVERIFY(loadWordList(QStringLiteral(FRAPPIN_RESOURCES_DIR "/") + name, entries, count) &&
                    count >= 60);
            QSet<QString> seen;
            for (int i = 0; i < count; ++i) {
                const QString word = wordOfEntry(entries[static_cast<std::size_t>(i)]);
                static const QRegularExpression middleRowOnly(QStringLiteral("^[qsdfghjklm]+$"));
                const bool middleRow = !name.startsWith(u"01") || middleRowOnly.match(word).hasMatch();
                QVERIFY2(untypableCharacters(word, m_keys, m_last).isEmpty() && !seen.contains(word) &&
                             word.size() <= 25 && middleRow,
                         qPrintable(name + QStringLiteral(": ") + word));
                seen.insert(word);
            }
        }
    }

    void lessonIsPassedTwiceInARow_data()
    {
        QTest::addColumn<QStringList>("lessons");
        QTest::addColumn<QString>("stored"); // Leçon|Réussies|Permis, "-" for nothing
        QTest::addColumn<QString>("series"); // the list drawn from|the grade|NotePourPasser
        QTest::addColumn<QString>("after");  // Leçon Réussies Permis, then "passed" or "permis" or "-"
        const QStringList three{"01 a.mot", "02 b.mot", "03 c.mot"};
        // clang-format off
        QTest::newRow("new pupil, first at the grade") << three << "-|0|-" << "01 a.mot|18|18" << "01 a.mot 1 - -";
        QTest::newRow("two in a row pass")             << three << "01 a.mot|1|-" << "01 a.mot|19|18" << "02 b.mot 0 - passed";
        QTest::newRow("a failed series between")       << three << "01 a.mot|1|-" << "01 a.mot|17|18" << "01 a.mot 0 - -";
        QTest::newRow("grade to reach 16")             << three << "01 a.mot|1|-" << "01 a.mot|16|16" << "02 b.mot 0 - passed";
        QTest::newRow("grade to reach 20")             << three << "01 a.mot|1|-" << "01 a.mot|19|20" << "01 a.mot 0 - -";
        QTest::newRow("unknown grade to reach is 18")  << three << "01 a.mot|1|-" << "01 a.mot|17|17" << "01 a.mot 0 - -";
        QTest::newRow("last lesson gives the permis")  << three << "03 c.mot|1|-" << "03 c.mot|20|18" << "03 c.mot 0 2026-12-07 permis";
        QTest::newRow("permis kept, pupil stays")      << three << "03 c.mot|1|2025-06-30" << "03 c.mot|20|18" << "03 c.mot 0 2025-06-30 passed";
        QTest::newRow("another list does not count")   << three << "01 a.mot|1|-" << "02 b.mot|20|18" << "01 a.mot 1 - -";
        QTest::newRow("stored lesson removed")         << QStringList{"01 a.mot", "03 c.mot"} << "02 b.mot|1|-" << "03 c.mot|18|18" << "03 c.mot 1 - -";
        QTest::newRow("stored lesson after the last")  << three << "04 d.mot|1|-" << "03 c.mot|18|18" << "03 c.mot 1 - -";
        QTest::newRow("lesson renamed during series")  << QStringList{"01 a.mot", "02 bb.mot"} << "02 b.mot|1|-" << "02 b.mot|20|18" << "02 bb.mot 0 - -";
        QTest::newRow("no lesson at all")              << QStringList{} << "02 b.mot|1|-" << "02 b.mot|20|18" << "02 b.mot 1 - -";
        // clang-format on
    }
    // A lesson is passed by SeriesToPass series in a row drawn from it at the grade to reach; the last one
    // gives the permis once; a lesson that is gone counts as the one after it, with no series in a row.
    void lessonIsPassedTwiceInARow()
    {
        QFETCH(QStringList, lessons);
        QFETCH(QString, stored);
        QFETCH(QString, series);
        QFETCH(QString, after);
        const QStringList s = stored.split(u'|'), d = series.split(u'|');
        const auto none = [](const QString &t) { return t == u"-" ? QString() : t; };
        const Path::Step step = Path::afterSeries(lessons, {none(s[0]), s[1].toInt(), none(s[2])}, d[0],
                                                  d[1].toInt(), Path::gradeToReach(d[2]), QDate(2026, 12, 7));
        const QString place = QStringLiteral("%1 %2 %3 %4")
                                  .arg(step.place.lesson.isEmpty() ? "-" : step.place.lesson)
                                  .arg(step.place.inARow)
                                  .arg(step.place.permis.isEmpty() ? "-" : step.place.permis)
                                  .arg(step.permisEarned ? "permis"
                                       : step.passed     ? "passed"
                                                         : "-");
        QCOMPARE(place, after);
    }

    void weakKeysAreAimedAt_data()
    {
        QTest::addColumn<QString>("missed");      // character:mistakes
        QTest::addColumn<QList<double>>("draws"); // the generator's values
        QTest::addColumn<QString>(
            "found"); // the keys, the positions of the words holding them, the word drawn
        const QString none;
        // clang-format off
        QTest::newRow("no history: one draw as before") << none  << QList<double>{0.5}       << " /  / 2";
        QTest::newRow("two at most, within the share")  << "a:1 v:3 h:2" << QList<double>{0.3, 0.9} << "v h / 0 2 3 / 3";
        QTest::newRow("ties in the keys' order")        << "v:2 h:2 c:2" << QList<double>{0.6, 0.3} << "c h / 0 2 3 / 1";
        QTest::newRow("keys not in the lesson, out of the share") << "k:5 a:1" << QList<double>{0.34, 0.0} << "a / 0 3 / 0";
        QTest::newRow("no word holds them")             << "k:5 z:2" << QList<double>{0.75}     << " /  / 3";
        QTest::newRow("a blank is no key")              << "_:9 u:1" << QList<double>{0.2, 0.9} << "u / 1 2 / 2";
        // clang-format on
    }
    // The keys aimed at are those missed most lately that a word of the lesson holds. A third of the draws go
    // to the words holding them, the others to every word; without such words the draw is the one of a list
    // without the path, one value of the generator per word.
    void weakKeysAreAimedAt()
    {
        QFETCH(QString, missed);
        QFETCH(QList<double>, draws);
        QFETCH(QString, found);
        const QStringList words{"chat", "lune", "hibou", "vache"};
        QMap<QString, int> mistakes;
        for (const QString &pair : missed.split(u' ', Qt::SkipEmptyParts))
            mistakes.insert(pair.section(u':', 0, 0).replace(u'_', u' '), pair.section(u':', 1).toInt());
        const QStringList keys = Path::weakKeys(mistakes, words);
        const QList<int> weak = Path::wordsHolding(words, keys);
        QStringList positions;
        for (const int p : weak)
            positions.append(QString::number(p));
        int used = 0;
        const int drawn = Path::draw(int(words.size()), weak, [&] { return draws.value(used++, 0.99); });
        QCOMPARE(keys.join(u' ') + " / " + positions.join(u' ') + " / " + QString::number(drawn), found);
        QCOMPARE(used, draws.size());
    }
};

QTEST_GUILESS_MAIN(TestRules)
#include "tst_rules.moc"
