// Text helpers, data-file decoding and line cutting, and the interval timer's rules.

#include "common/intervaltimer.h"
#include "common/text.h"
#include "common/textfile.h"
#include "support/sandbox.h"

#include <QApplication>
#include <QTest>

class TestText : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void trimRemovesOnlySpacesAtBothEnds_data();
    void trimRemovesOnlySpacesAtBothEnds();
    void charactersAreCountedFromOne_data();
    void charactersAreCountedFromOne();
    void midTextGivesEmptyOutsideTheText();

    void encodingIsChosenFromTheBytes_data();
    void encodingIsChosenFromTheBytes();
    void windows1252RoundTripsEveryByte();
    void textOutsideWindows1252IsRefused_data();
    void textOutsideWindows1252IsRefused();

    void linesEndAtCrLfCrAndLf_data();
    void linesEndAtCrLfCrAndLf();
    void unreadablePathsGiveNothing();

    void timerTicksOnlyWhenEnabledWithAnInterval();
};

void TestText::trimRemovesOnlySpacesAtBothEnds_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("trimmed");
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("only blanks") << "   "
                                 << "";
    QTest::newRow("both ends") << "  Léa  "
                               << "Léa";
    QTest::newRow("inner blanks kept") << " la maison "
                                       << "la maison";
    QTest::newRow("tab is not a blank") << "\tLéa "
                                        << "\tLéa";
}

void TestText::trimRemovesOnlySpacesAtBothEnds()
{
    QFETCH(QString, text);
    QFETCH(QString, trimmed);
    QCOMPARE(trimBlanks(text), trimmed);
}

void TestText::charactersAreCountedFromOne_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("character");
    QTest::newRow("first") << "fête" << 1 << "f";
    QTest::newRow("accented") << "fête" << 2 << "ê";
    QTest::newRow("last") << "fête" << 4 << "e";
    QTest::newRow("past the end") << "fête" << 5 << "";
    QTest::newRow("zero") << "fête" << 0 << "";
    QTest::newRow("empty text") << "" << 1 << "";
}

void TestText::charactersAreCountedFromOne()
{
    QFETCH(QString, text);
    QFETCH(int, position);
    QFETCH(QString, character);
    QCOMPARE(charAt(text, position), character);
}

void TestText::midTextGivesEmptyOutsideTheText()
{
    QCOMPARE(midText(u"chat,cat", 1, 4), QStringLiteral("chat"));
    QCOMPARE(midText(u"chat,cat", 6, 100), QStringLiteral("cat"));
    QCOMPARE(midText(u"chat", 3, 2), QString());
    QCOMPARE(midText(u"chat", 9, 12), QString());
}

void TestText::encodingIsChosenFromTheBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("ascii") << QByteArray("chat") << "chat";
    QTest::newRow("windows-1252 accents") << QByteArray("f\xEAte \xE9t\xE9") << "fête été";
    QTest::newRow("windows-1252 high controls") << QByteArray("\x80\x9C\x85") << "€œ…";
    QTest::newRow("utf-8 accents") << QByteArray("f\xC3\xAAte") << "fête";
    QTest::newRow("utf-8 with byte-order mark") << QByteArray("\xEF\xBB\xBF\xC3\xA9t\xC3\xA9") << "été";
    QTest::newRow("byte-order mark on ascii") << QByteArray("\xEF\xBB\xBF"
                                                            "chat")
                                              << "chat";
    // One stray Windows-1252 byte makes the whole file invalid UTF-8.
    QTest::newRow("mixed is windows-1252") << QByteArray("\xC3\xA9t\xE9") << "Ã©té";
    QTest::newRow("undefined byte kept") << QByteArray("a\x81") << QString::fromUtf16(u"a\u0081");
}

void TestText::encodingIsChosenFromTheBytes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(decodeTextFile(bytes), text);
}

void TestText::windows1252RoundTripsEveryByte()
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(static_cast<char>(b));
    const QString text = decodeWindows1252(all);
    QCOMPARE(text.size(), 256);
    QCOMPARE(encodeWindows1252(text), std::optional<QByteArray>(all));
}

void TestText::textOutsideWindows1252IsRefused_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("fits");
    QTest::newRow("french") << "ça c'est l'œuf à 2 €" << true;
    QTest::newRow("emoji") << "chat 🐱" << false;
    QTest::newRow("greek") << "αβγ" << false;
    QTest::newRow("cyrillic") << "кот" << false;
}

void TestText::textOutsideWindows1252IsRefused()
{
    QFETCH(QString, text);
    QFETCH(bool, fits);
    QCOMPARE(fitsWindows1252(text), fits);
    QCOMPARE(encodeWindows1252(text).has_value(), fits);
}

void TestText::linesEndAtCrLfCrAndLf_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("empty") << "" << QStringList{};
    QTest::newRow("crlf") << "a\r\nb\r\n" << QStringList{"a", "b"};
    QTest::newRow("cr") << "a\rb\r" << QStringList{"a", "b"};
    QTest::newRow("lf") << "a\nb\n" << QStringList{"a", "b"};
    QTest::newRow("no end on last line") << "a\r\nb" << QStringList{"a", "b"};
    QTest::newRow("empty lines kept") << "a\r\n\r\n\nb" << QStringList{"a", "", "", "b"};
    QTest::newRow("lf then cr is two ends") << "a\n\rb" << QStringList{"a", "", "b"};
    QTest::newRow("single line end") << "\r\n" << QStringList{""};
}

void TestText::linesEndAtCrLfCrAndLf()
{
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    QStringList read;
    for (LineReader reader(text); !reader.atEnd();)
        read.append(reader.next().toString());
    QCOMPARE(read, lines);
}

void TestText::unreadablePathsGiveNothing()
{
    Sandbox sandbox;
    QVERIFY(!readTextFile(sandbox.path("absent.mot")).has_value());
    QVERIFY(!readTextFile(sandbox.folder()).has_value());
    sandbox.writeFile("vide.mot", {});
    QCOMPARE(readTextFile(sandbox.path("vide.mot")), std::optional<QString>(QString()));
}

void TestText::timerTicksOnlyWhenEnabledWithAnInterval()
{
    IntervalTimer timer;
    QVERIFY(timer.isEnabled());
    QCOMPARE(timer.interval(), 0);
    QVERIFY(!timer.isTicking());

    timer.setInterval(2000);
    QVERIFY(timer.isTicking());
    timer.setEnabled(false);
    QVERIFY(!timer.isTicking());
    timer.setEnabled(true);
    QVERIFY(timer.isTicking());

    timer.stop();
    QCOMPARE(timer.interval(), 0);
    QVERIFY(!timer.isEnabled());
    QVERIFY(!timer.isTicking());
    // Enabled again with interval 0: still no tick.
    timer.setEnabled(true);
    QVERIFY(!timer.isTicking());
}

FRAPPIN_TEST_MAIN(TestText)
#include "tst_text.moc"
