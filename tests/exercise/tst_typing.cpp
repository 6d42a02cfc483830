// The dead-key letters and the grade; tst_series takes the typed-text check through the window.

#include "exercise/typing.h"

#include <QTest>

class TestTyping : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void onlySevenLettersTakeADeadKey_data()
    {
        QTest::addColumn<QString>("letter");
        QTest::addColumn<QString>("strokes"); // dead key, then base letter; empty: looked up itself
        // clang-format off
        QTest::newRow("ê")                 << "ê" << "^e";
        QTest::newRow("â")                 << "â" << "^a";
        QTest::newRow("î")                 << "î" << "^i";
        QTest::newRow("ô")                 << "ô" << "^o";
        QTest::newRow("ë")                 << "ë" << "¨e";
        QTest::newRow("ä")                 << "ä" << "¨a";
        QTest::newRow("ï")                 << "ï" << "¨i";
        QTest::newRow("é has its own key") << "é" << "";
        QTest::newRow("û")                 << "û" << "";
        QTest::newRow("ü")                 << "ü" << "";
        QTest::newRow("capital Ê")         << "Ê" << "";
        QTest::newRow("plain letter")      << "e" << "";
        QTest::newRow("empty text")        << ""  << "";
        // clang-format on
    }
    // Only ê â î ô (through "^") and ë ä ï (through "¨") are typed with a dead key and their base letter.
    void onlySevenLettersTakeADeadKey()
    {
        QFETCH(QString, letter);
        QFETCH(QString, strokes);
        const auto found = deadKeyStrokes(letter);
        QCOMPARE(found ? found->deadKey + found->baseLetter : QString(), strokes);
    }

    void gradeTakesAPointPerFivePercent_data()
    {
        QTest::addColumn<int>("mistakes");
        QTest::addColumn<int>("characters");
        QTest::addColumn<int>("grade");
        // clang-format off
        QTest::newRow("no mistake")                 << 0  << 20 << 20;
        QTest::newRow("1 in 20")                    << 1  << 20 << 19;
        QTest::newRow("1 in 21 is not rounded up")  << 1  << 21 << 20;
        QTest::newRow("3 in 10")                    << 3  << 10 << 14;
        QTest::newRow("1 in 7")                     << 1  << 7  << 18;
        QTest::newRow("exactly zero")               << 20 << 20 << 0;
        QTest::newRow("below zero")                 << 25 << 20 << -5;
        QTest::newRow("no characters taken as one") << 1  << 0  << 0;
        // clang-format on
    }
    // The grade is 20 less a point per whole 5 % of mistakes among the characters, below zero included.
    void gradeTakesAPointPerFivePercent()
    {
        QFETCH(int, mistakes);
        QFETCH(int, characters);
        QFETCH(int, grade);
        QCOMPARE(gradeOutOf20(mistakes, characters), qint64(grade));
    }
};

QTEST_GUILESS_MAIN(TestTyping)
#include "tst_typing.moc"
