// The data files as the program loads them (the word list, the key table "clavier.dat") and the key-cap table
// that both draws the keyboard and places the markers the key table is read into.

#include "common/textfile.h"
#include "keyboard/keyboardpicture.h"
#include "keyboard/keycaps.h"
#include "keyboard/keytable.h"
#include "support/sandbox.h"
#include "words/wordlist.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QTest>

#include <numeric>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Loads the chosen word list or the key table as the start-up does; returns the entries loaded.
QStringList load(bool keyboard)
{
    const ProgramValues &v = values();
    keyboard ? ChargeIndications() : ChargePhrases();
    return keyboard ? QStringList(v.ToucheCaractere.begin(), v.ToucheCaractere.begin() + v.DerniereTouche + 1)
                    : QStringList(v.Phrases.begin(), v.Phrases.begin() + v.NbPhrases);
}

} // namespace

class TestDataFiles : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void filesLoadTheirEntries_data()
    {
        QTest::addColumn<bool>("keyboard");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("entries");
        QStringList lines, words, keys;
        for (int i = 0; i < 1030; ++i) {
            lines.append(QStringLiteral("n%1,é%1,x").arg(i));
            if (i < MaxListEntries) {
                words.append(lines[i]);
                keys.append(QStringLiteral("é%1").arg(i));
            }
        }
        const QByteArray many = lines.join(u'\n').toUtf8(), x(100000, 'x');
        using B = QByteArray;
        using L = QStringList;
        // clang-format off
        QTest::newRow("words: 1252, CR LF, comment") << false << B("f\xEAte,,\r\n#a\r\n\xE9t\xE9,,") << L{"fête,,", "été,,"};
        QTest::newRow("words: 1252 0x80-0x9F, CR")   << false << B("\x80\x9C\r\x85\x81") << L{"€œ", "…\u0081"};
        QTest::newRow("words: UTF-8, LF, decomposed") << false << B("f\xC3\xAAte\ne\xCC\x81""cole\n") << L{"fête", "école"};
        QTest::newRow("words: second mark is text")  << false << B("\xEF\xBB\xBF\xEF\xBB\xBF""a") << L{QChar(0xFEFF) + QString("a")};
        QTest::newRow("words: a stray byte: 1252")   << false << B("\xC3\xA9t\xE9") << L{"Ã©té"};
        QTest::newRow("words: empty lines, LF CR")   << false << B("a\r\n\r\n\nb\n\rc") << L{"a", "", "", "b", "", "c"};
        QTest::newRow("words: blank then #")         << false << B(" #chat\r\n#") << L{" #chat"};
        QTest::newRow("words: 1030 lines")           << false << many << words;
        QTest::newRow("words: 5000 empty lines")     << false << B(5000, '\n') << L(MaxListEntries, "");
        QTest::newRow("words: long line, 40 commas") << false << "un\n" + x + "\n" + B(40, ',') << L{"un", x, B(40, ',')};
        QTest::newRow("words: empty file")           << false << B() << L{};
        QTest::newRow("keys: 1030 lines")            << true << many << keys;
        QTest::newRow("keys: field 1, comments")     << true << B("#c\r\n0,a\r\n#1,x\r\nEchap\r\n3,e,z") << L{"a", "", "e"};
        QTest::newRow("keys: 31 commas read")        << true << "0,a\n" + B(31, ',') + "\n1,b" << L{"a", "", "b"};
        QTest::newRow("keys: 32 commas end it")      << true << "0,a\n" + B(32, ',') + "\n1,b" << L{"a"};
        QTest::newRow("keys: 32765 characters read") << true << "0,a\n" + B(32765, 'x') + "\n1,b" << L{"a", "", "b"};
        QTest::newRow("keys: 32766 end it")          << true << "0,a\n" + B(32766, 'x') + "\n1,b" << L{"a"};
        QTest::newRow("keys: nul characters")        << true << B("a") + '\0' + "b,\xC3\xAF\nc,\xC3\xB4" << L{"ï", "ô"};
        QTest::newRow("keys: only comments")         << true << B("#a\r\n#b") << L{};
        for (const char *kind : {"<missing>", "<folder>", "<named pipe>", "<no permission>", "<itself>", "</dev/zero>",
                                 "</nulle/part>", "</tmp>"}) { // "</...>": a link to ...
            QTest::addRow("words: %s", kind) << false << B(kind) << L{"avant"};
            QTest::addRow("keys: %s", kind) << true << B(kind) << L{"avant"};
        }
        // clang-format on
    }
    // A file is UTF-8 when it starts with a byte-order mark or is valid UTF-8, else Windows-1252; lines end
    // at CR LF, CR or LF. The word list keeps up to 1025 lines but comments whole; the key table takes field
    // 1 of each data line and stops at a line that cannot be split. A file that is no ordinary readable file
    // ("<...>"; "no permission" tried as "nobody") is told at once with the path tried; what was loaded
    // stays.
    void filesLoadTheirEntries()
    {
        QFETCH(bool, keyboard);
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, entries);
        Sandbox sandbox;
        const QString path = sandbox.path(keyboard ? KeyboardFileName : Store::DefaultWordList);
        if (bytes == "<folder>")
            QVERIFY(QDir().mkdir(path));
        else if (bytes == "<named pipe>")
            QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0644), 0);
        else if (bytes == "<itself>")
            QCOMPARE(symlink(QFile::encodeName(path), QFile::encodeName(path)), 0);
        else if (bytes.startsWith("</"))
            QVERIFY(QFile::link(bytes.mid(1, bytes.size() - 2), path));
        else if (bytes == "<no permission>")
            QVERIFY(QFile(path).open(QIODevice::WriteOnly) && QFile::setPermissions(path, {}));
        else if (bytes != "<missing>")
            sandbox.writeFile(QFileInfo(path).fileName(), bytes);
        QCOMPARE(chmod(QFile::encodeName(sandbox.folder()), 0755), 0);
        values().Phrases[0] = values().ToucheCaractere[0] = QStringLiteral("avant");
        values().NbPhrases = 1;
        const QString told =
            QStringLiteral("Impossible de charger %1.\rChemin '%2'\rVeuillez vous procurer une "
                           "version complète ou réinstaller le programme.")
                .arg(keyboard ? "la position du clavier" : "le fichier des mots", path);
        const QList<MessageRequest> messages(bytes.startsWith('<') ? 1 : 0,
                                             {told, keyboard ? "Fichier du clavier" : "Fichier des mots"});
        if (bytes == "<no permission>") {
            QCOMPARE(asOrdinaryUser(
                         [&] { return load(keyboard) == entries && sandbox.messages == messages ? 0 : 1; }),
                     0);
        } else {
            QCOMPARE(load(keyboard), entries);
            QCOMPARE(sandbox.messages, messages);
        }
    }

    // A file of 3 GB (sparse: no disk used) is read up to 64 MiB, cut back to the last whole line, so that a
    // UTF-8 letter cut at the limit does not make the rest read as Windows-1252.
    void hugeFileLoadsItsBeginning()
    {
        Sandbox sandbox;
        sandbox.writeFile(Store::DefaultWordList, "été,,\r\nîle,,\r\n");
        QFile file(sandbox.path(Store::DefaultWordList));
        QVERIFY(file.open(QIODevice::ReadWrite) && file.seek(DataFileReadLimit - 1) &&
                file.write("\xC3\xA9\n") == 3);
        QVERIFY(file.resize(qint64(3) << 30));
        QCOMPARE(load(false), (QStringList{"été,,", "île,,"}));
    }

    // Each of the 256 bytes is one character that encodes back to it; a text the code page cannot hold is
    // refused rather than written with "?".
    void windows1252RoundTrips()
    {
        QByteArray all(256, '\0');
        std::iota(all.begin(), all.end(), '\0');
        QCOMPARE(encodeWindows1252(decodeWindows1252(all)), std::optional<QByteArray>(all));
        QVERIFY(!fitsWindows1252(u"chat 🐱") && !encodeWindows1252(u"кот"));
    }

    // Each marker lies inside its own cap, within the picture; no two caps overlap; the picture drawn from
    // the table shows a cap, not the plate, under every marker.
    void keyCapsHoldTheirMarkers()
    {
        QImage image(KeyCaps::PictureSize, QImage::Format_ARGB32);
        image.fill(KeyboardColours::Plate);
        QPainter painter(&image);
        drawKeyboard(painter);
        for (int i = 0; i < KeyCaps::Count; ++i) {
            const QRect marker = KeyCaps::markerPixels(i);
            const QList<QRect> parts = KeyCaps::capParts(i);
            const QByteArray at = "marker " + QByteArray::number(i);
            QVERIFY2(
                std::any_of(parts.begin(), parts.end(), [&](const QRect &p) { return p.contains(marker); }),
                at);
            QVERIFY2(QRect({}, KeyCaps::PictureSize).contains(KeyCaps::capRect(i)), at);
            for (int j = i + 1; j < KeyCaps::Count; ++j) {
                for (const QRect &a : parts) {
                    for (const QRect &b : KeyCaps::capParts(j))
                        QVERIFY2(!a.intersects(b), at + " overlaps " + QByteArray::number(j));
                }
            }
            for (const QPoint &p : {marker.topLeft(), marker.center(), marker.bottomRight()})
                QVERIFY2(image.pixel(p) != KeyboardColours::Plate.rgb(), at);
        }
    }

    // The shipped key file names, line by line, the key drawn under each marker: the left shift serves the
    // diaeresis, and a field cannot hold the comma key's character.
    void shippedKeyFileAgreesWithThePicture()
    {
        Sandbox sandbox;
        sandbox.copyShippedData();
        const QStringList keys = load(true);
        QCOMPARE(keys.size(), KeyCaps::Count);
        for (int i = 0; i < KeyCaps::Count; ++i) {
            const QString label = QString::fromUtf16(KeyCaps::cap(i).label).toLower();
            const bool typed = KeyCaps::cap(i).kind == KeyCaps::Kind::Character && label != ",";
            QVERIFY2(keys[i] == (i == 74 ? "¨" : i == 94 ? " " : typed ? label : ""), qPrintable(keys[i]));
        }
    }
};

FRAPPIN_TEST_MAIN(TestDataFiles)
#include "tst_datafiles.moc"
