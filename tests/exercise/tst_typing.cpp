// The plain rules of the typed-text check and the grade.

#include "exercise/typing.h"

#include <QTest>

class TestTyping : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void firstWrongCharacterIsFound_data();
    void firstWrongCharacterIsFound();
    void onlySevenLettersTakeADeadKey_data();
    void onlySevenLettersTakeADeadKey();
    void gradeTakesAPointPerFivePercent_data();
    void gradeTakesAPointPerFivePercent();
};

void TestTyping::firstWrongCharacterIsFound_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("word");
    QTest::addColumn<int>("offset"); // -1: no wrong character
    QTest::newRow("nothing typed") << ""
                                   << "chat" << -1;
    QTest::newRow("right so far") << "ch"
                                  << "chat" << -1;
    QTest::newRow("whole word") << "chat"
                                << "chat" << -1;
    QTest::newRow("wrong letter") << "chx"
                                  << "chat" << 2;
    QTest::newRow("wrong capital") << "Chat"
                                   << "chat" << 0;
    QTest::newRow("one letter too many") << "chatx"
                                         << "chat" << 4;
    QTest::newRow("accent differs") << "ete"
                                    << "été" << 0;
    QTest::newRow("anything against the empty word") << "Léa"
                                                     << "" << 0;
    QTest::newRow("blank is a character") << "chat"
                                          << " chat" << 0;
}

void TestTyping::firstWrongCharacterIsFound()
{
    QFETCH(QString, typed);
    QFETCH(QString, word);
    QFETCH(int, offset);
    const auto wrong = firstWrongOffset(typed, word);
    QCOMPARE(wrong.has_value() ? static_cast<int>(*wrong) : -1, offset);
}

void TestTyping::onlySevenLettersTakeADeadKey_data()
{
    QTest::addColumn<QString>("letter");
    QTest::addColumn<QString>("deadKey");
    QTest::addColumn<QString>("base");
    QTest::newRow("ê") << "ê"
                       << "^"
                       << "e";
    QTest::newRow("â") << "â"
                       << "^"
                       << "a";
    QTest::newRow("î") << "î"
                       << "^"
                       << "i";
    QTest::newRow("ô") << "ô"
                       << "^"
                       << "o";
    QTest::newRow("ë") << "ë"
                       << "¨"
                       << "e";
    QTest::newRow("ä") << "ä"
                       << "¨"
                       << "a";
    QTest::newRow("ï") << "ï"
                       << "¨"
                       << "i";
    QTest::newRow("é has its own key") << "é"
                                       << ""
                                       << "";
    QTest::newRow("û is looked up itself") << "û"
                                           << ""
                                           << "";
    QTest::newRow("ü is looked up itself") << "ü"
                                           << ""
                                           << "";
    QTest::newRow("capital Ê is looked up itself") << "Ê"
                                                   << ""
                                                   << "";
    QTest::newRow("plain letter") << "e"
                                  << ""
                                  << "";
    QTest::newRow("empty text") << ""
                                << ""
                                << "";
}

void TestTyping::onlySevenLettersTakeADeadKey()
{
    QFETCH(QString, letter);
    QFETCH(QString, deadKey);
    QFETCH(QString, base);
    const auto strokes = deadKeyStrokes(letter);
    QCOMPARE(strokes.has_value(), !deadKey.isEmpty());
    if (strokes) {
        QCOMPARE(strokes->deadKey, deadKey);
        QCOMPARE(strokes->baseLetter, base);
    }
}

void TestTyping::gradeTakesAPointPerFivePercent_data()
{
    QTest::addColumn<qint64>("mistakes");
    QTest::addColumn<qint64>("characters");
    QTest::addColumn<qint64>("grade");
    QTest::newRow("no mistake") << qint64(0) << qint64(20) << qint64(20);
    QTest::newRow("1 in 20") << qint64(1) << qint64(20) << qint64(19);
    QTest::newRow("1 in 21 is not rounded up") << qint64(1) << qint64(21) << qint64(20);
    QTest::newRow("3 in 10") << qint64(3) << qint64(10) << qint64(14);
    QTest::newRow("4 in 20") << qint64(4) << qint64(20) << qint64(16);
    QTest::newRow("below zero") << qint64(25) << qint64(20) << qint64(-5);
    QTest::newRow("exactly zero") << qint64(20) << qint64(20) << qint64(0);
    QTest::newRow("1 in 7") << qint64(1) << qint64(7) << qint64(18);
    QTest::newRow("no characters taken as one") << qint64(1) << qint64(0) << qint64(0);
}

void TestTyping::gradeTakesAPointPerFivePercent()
{
    QFETCH(qint64, mistakes);
    QFETCH(qint64, characters);
    QFETCH(qint64, grade);
    QCOMPARE(gradeOutOf20(mistakes, characters), grade);
}

QTEST_GUILESS_MAIN(TestTyping)
#include "tst_typing.moc"
