// Text helpers, data-file decoding and line cutting; tst_badinput takes whole files through them.

#include "common/text.h"
#include "common/textfile.h"
#include "support/sandbox.h"

#include <QTest>

class TestText : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void trimRemovesOnlySpacesAtBothEnds_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("trimmed");
        // clang-format off
        QTest::newRow("only blanks")        << "   "         << "";
        QTest::newRow("both ends")          << "  Léa  "     << "Léa";
        QTest::newRow("inner blanks kept")  << " la maison " << "la maison";
        QTest::newRow("tab is not a blank") << "\tLéa "      << "\tLéa";
        // clang-format on
    }
    // Trimming takes the spaces off both ends and nothing else.
    void trimRemovesOnlySpacesAtBothEnds()
    {
        QFETCH(QString, text);
        QFETCH(QString, trimmed);
        QCOMPARE(trimBlanks(text), trimmed);
    }

    void partsAreCountedFromOne_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("end");
        QTest::addColumn<QString>("part");
        QTest::newRow("first") << "fête" << 1 << 1 << "f";
        QTest::newRow("accented") << "fête" << 2 << 2 << "ê";
        QTest::newRow("last") << "fête" << 4 << 4 << "e";
        QTest::newRow("past the end") << "fête" << 5 << 5 << "";
        QTest::newRow("zero") << "fête" << 0 << 0 << "";
        QTest::newRow("empty text") << "" << 1 << 1 << "";
        QTest::newRow("a field") << "chat,cat" << 1 << 4 << "chat";
        QTest::newRow("to the end") << "chat,cat" << 6 << 100 << "cat";
        QTest::newRow("empty range") << "chat" << 3 << 2 << "";
    }
    // Characters are counted from 1, both ends included, and a position outside the text gives nothing.
    void partsAreCountedFromOne()
    {
        QFETCH(QString, text);
        QFETCH(int, start);
        QFETCH(int, end);
        QFETCH(QString, part);
        QCOMPARE(midText(text, start, end), part);
        if (start == end)
            QCOMPARE(charAt(text, start), part);
    }

    void encodingIsChosenFromTheBytes_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        // clang-format off
        QTest::newRow("1252 accents")           << QByteArray("f\xEAte \xE9t\xE9") << "fête été";
        QTest::newRow("1252 controls")          << QByteArray("\x80\x9C\x85") << "€œ…";
        QTest::newRow("utf-8 accents")          << QByteArray("f\xC3\xAAte") << "fête";
        QTest::newRow("utf-8 decomposed")       << QByteArray("e\xCC\x81""cole") << "école";
        QTest::newRow("utf-8 byte-order mark")  << QByteArray("\xEF\xBB\xBF\xC3\xA9t\xC3\xA9") << "été";
        QTest::newRow("byte-order mark, ascii") << QByteArray("\xEF\xBB\xBF" "chat") << "chat";
        // One stray Windows-1252 byte makes the whole file invalid UTF-8.
        QTest::newRow("mixed is 1252")          << QByteArray("\xC3\xA9t\xE9") << "Ã©té";
        QTest::newRow("undefined byte kept")    << QByteArray("a\x81") << QString::fromUtf16(u"a\u0081");
        // clang-format on
    }
    // A file is UTF-8 when it is valid UTF-8 (a byte-order mark dropped), Windows-1252 otherwise.
    void encodingIsChosenFromTheBytes()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(decodeTextFile(bytes), text);
    }

    // Windows-1252 decodes each of the 256 bytes to one character and encodes it back to the same byte.
    void windows1252RoundTripsEveryByte()
    {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(static_cast<char>(b));
        const QString text = decodeWindows1252(all);
        QCOMPARE(text.size(), 256);
        QCOMPARE(encodeWindows1252(text), std::optional<QByteArray>(all));
    }

    void textOutsideWindows1252IsRefused_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("fits");
        QTest::newRow("french") << "ça c'est l'œuf à 2 €" << true;
        QTest::newRow("emoji") << "chat 🐱" << false;
        QTest::newRow("cyrillic") << "кот" << false;
    }
    // A text that Windows-1252 cannot hold is refused rather than encoded with "?".
    void textOutsideWindows1252IsRefused()
    {
        QFETCH(QString, text);
        QFETCH(bool, fits);
        QCOMPARE(fitsWindows1252(text), fits);
        QCOMPARE(encodeWindows1252(text).has_value(), fits);
    }

    void linesEndAtCrLfCrAndLf_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("lines");
        // clang-format off
        QTest::newRow("empty")                  << ""             << QStringList{};
        QTest::newRow("crlf")                   << "a\r\nb\r\n"   << QStringList{"a", "b"};
        QTest::newRow("cr")                     << "a\rb\r"       << QStringList{"a", "b"};
        QTest::newRow("lf")                     << "a\nb\n"       << QStringList{"a", "b"};
        QTest::newRow("no end on last line")    << "a\r\nb"       << QStringList{"a", "b"};
        QTest::newRow("empty lines kept")       << "a\r\n\r\n\nb" << QStringList{"a", "", "", "b"};
        QTest::newRow("lf then cr is two ends") << "a\n\rb"       << QStringList{"a", "", "b"};
        QTest::newRow("single line end")        << "\r\n"         << QStringList{""};
        // clang-format on
    }
    // A line ends at CR LF, CR or LF, and the last line needs no end.
    void linesEndAtCrLfCrAndLf()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, lines);
        QStringList read;
        for (LineReader reader(text); !reader.atEnd();)
            read.append(reader.next().toString());
        QCOMPARE(read, lines);
    }
};

FRAPPIN_TEST_MAIN(TestText)
#include "tst_text.moc"
