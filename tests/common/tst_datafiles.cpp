// The data files as loaded (the word list, the key table "clavier.dat"), the key caps they are read into,
// and the numbered lists of the path.

#include "common/textfile.h"
#include "common/userscale.h"
#include "keyboard/guide.h"
#include "keyboard/keycaps.h"
#include "keyboard/keytable.h"
#include "support/sandbox.h"
#include "words/lessons.h"
#include "words/wordlist.h"

#include <QDir>
#include <QTest>

#include <sys/stat.h>

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
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("entries");
        QStringList lines, keys;
        for (int i = 0; i < 1030; ++i) {
            lines.append(QStringLiteral("n%1,é%1,x").arg(i));
            keys.append(QStringLiteral("é%1").arg(i));
        }
        const QByteArray many = lines.join(u'\n').toUtf8(), x(100000, 'x');
        using B = QByteArray;
        using L = QStringList;
        // clang-format off
        QTest::newRow("words: 1252; CR LF, CR, LF CR; comment") << B("f\xEAte,,\r\n#a\r\n #b\r\n\xE9t\xE9,,\r\x80\x9C\r\x85\x81\r\n\r\n\nb\n\rc\r\n#") << L{"fête,,", " #b", "été,,", "€œ", "…\u0081", "", "", "b", "", "c"};
        QTest::newRow("words: UTF-8, LF, decomposed, long line, 40 commas") << "f\xC3\xAAte\ne\xCC\x81""cole\n" + x + "\n" + B(40, ',') << L{"fête", "école", x, B(40, ',')};
        QTest::newRow("words: second mark is text")  << B("\xEF\xBB\xBF\xEF\xBB\xBF""a") << L{QChar(0xFEFF) + QString("a")};
        QTest::newRow("words: a stray byte: 1252")   << B("\xC3\xA9t\xE9") << L{"Ã©té"};
        QTest::newRow("words: 1030 lines")           << many << lines.mid(0, MaxListEntries);
        QTest::newRow("words: 5000 empty lines")     << B(5000, '\n') << L(MaxListEntries, "");
        QTest::newRow("words: empty file")           << B() << L{};
        QTest::newRow("words: <3 GB>")               << B("<3 GB>") << L{"été,,", "île,,"};
        QTest::newRow("keys: 1030 lines")            << many << keys.mid(0, MaxListEntries);
        QTest::newRow("keys: field 1, comments, nul characters") << B("#c\r\n0,a\r\n#1,x\r\nEchap\r\n3,e,z\na") + '\0' + "b,\xC3\xAF\nc,\xC3\xB4" << L{"a", "", "e", "ï", "ô"};
        QTest::newRow("keys: 31 commas, 32765 characters read") << "0,a\n" + B(31, ',') + "\n" + B(32765, 'x') + "\n1,b" << L{"a", "", "", "b"};
        QTest::newRow("keys: 32 commas end it")      << "0,a\n" + B(32, ',') + "\n1,b" << L{"a"};
        QTest::newRow("keys: 32766 characters end it") << "0,a\n" + B(32766, 'x') + "\n1,b" << L{"a"};
        QTest::newRow("keys: only comments")         << B("#a\r\n#b") << L{};
        for (const char *kind : {"<missing>", "<folder>", "<named pipe>", "<no permission>", "<itself>", "</dev/zero>", "</nulle/part>", "</tmp>"})
            for (const char *file : {"words", "keys"})
                QTest::addRow("%s: %s", file, kind) << B(kind) << L{"avant"};
        // clang-format on
    }
    // A file is UTF-8 when it starts with a byte-order mark or is valid UTF-8, else Windows-1252; lines end
    // at CR LF, CR or LF. The word list keeps up to 1025 lines but comments whole; the key table takes field
    // 1 of each data line and stops at a line that cannot be split. Of 3 GB (sparse), 64 MiB are read, cut
    // back to the last whole line. A file that is no ordinary readable file ("<...>"; "</x>": a link to x;
    // "no permission" tried as "nobody") is told at once with the path tried; what was loaded stays.
    void filesLoadTheirEntries()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, entries);
        const bool keyboard = QByteArray(QTest::currentDataTag()).startsWith("keys");
        Sandbox sandbox;
        const QString path = sandbox.path(keyboard ? KeyboardFileName : Store::DefaultWordList);
        QFile file(path);
        if (bytes == "<folder>")
            QVERIFY(QDir().mkdir(path));
        else if (bytes == "<named pipe>")
            QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0644), 0);
        else if (bytes.startsWith("</") || bytes == "<itself>")
            QVERIFY(QFile::link(bytes == "<itself>" ? path : QString(bytes.mid(1, bytes.size() - 2)), path));
        else if (bytes == "<no permission>")
            QVERIFY(file.open(QIODevice::WriteOnly) && QFile::setPermissions(path, {}));
        else if (bytes == "<3 GB>")
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write("été,,\r\nîle,,\r\n") == 17 &&
                    file.seek(DataFileReadLimit - 1) && file.write("\xC3\xA9\n") == 3 &&
                    file.resize(qint64(3) << 30));
        else if (bytes != "<missing>")
            sandbox.writeFile(QFileInfo(path).fileName(), bytes);
        file.close();
        QCOMPARE(chmod(QFile::encodeName(sandbox.folder()), 0755), 0);
        values().Phrases[0] = values().ToucheCaractere[0] = QStringLiteral("avant");
        values().NbPhrases = 1;
        const QString told =
            QStringLiteral("Impossible de charger %1.\rChemin '%2'\rVeuillez vous procurer une "
                           "version complète ou réinstaller le programme.")
                .arg(keyboard ? "la position du clavier" : "le fichier des mots", path);
        const QList<MessageRequest> messages(bytes.startsWith('<') && bytes != "<3 GB>" ? 1 : 0,
                                             {told, keyboard ? "Fichier du clavier" : "Fichier des mots"});
        const auto loads = [&] { return load(keyboard) == entries && sandbox.messages == messages; };
        if (bytes == "<no permission>") {
            QCOMPARE(asOrdinaryUser(loads), 1);
        } else {
            QCOMPARE(load(keyboard), entries);
            QCOMPARE(sandbox.messages, messages);
        }
    }

    // The lists "01" to "19" of the program's folder, in the order of their names, whatever a school added or
    // removed (tst_rules follows a pupil's stored lesson through them).
    void lessonsAreTheNumberedLists()
    {
        Sandbox sandbox;
        for (const char *name : {"19 Phrases.MOT", "03 rangée du bas.mot", "01 rangée du milieu.mot",
                                 "00 zéro.mot", "20 vingt.mot", "1 un.mot", "04 notes.txt"})
            sandbox.writeFile(QString::fromUtf8(name), "chat,,\r\n");
        const QStringList lessons = Lessons::inFolder();
        QCOMPARE(lessons, QStringList({"01 rangée du milieu.mot", "03 rangée du bas.mot", "19 Phrases.MOT"}));
        QCOMPARE(Lessons::title(lessons.last()), "Phrases");
    }

    // Each marker lies inside its own cap, within the picture; no two caps overlap (tst_window looks at the
    // picture drawn). The shipped key file names, line by line, the key drawn under each marker: the left
    // shift serves the diaeresis, and a field cannot hold the comma key's character; none for nothing to type
    // or an unknown character. Each hand's fingertip (right: top row, columns 8 to 11; left: second row,
    // columns 20 to 22) lands on the cap of its key; marker 38 ("a") to the pixel, after the whole-unit
    // truncation.
    void keyCapsAgreeWithTheShippedKeyFile()
    {
        Sandbox sandbox;
        sandbox.copyShippedData();
        const QStringList keys = load(true);
        QCOMPARE(keys.size(), KeyCaps::Count);
        TextTable table = values().ToucheCaractere;
        for (const auto &[key, marker] :
             {std::pair{"a", 38}, {"é", 18}, {"", -1}, {"A", -1}, {"œ", -1}, {"ab", -1}})
            QCOMPARE(markerOf(table, values().DerniereTouche, QString::fromUtf8(key)), marker);
        table[KeyCaps::Count] = QStringLiteral("ÿ"); // beyond the keyboard
        QCOMPARE(markerOf(table, KeyCaps::Count, QStringLiteral("ÿ")), -1);
        QCOMPARE(handPlace(Hand::Right, 38), QPoint(50, 280));
        QCOMPARE(handPlace(Hand::Left, 38), QPoint(39, 280));
        const QPoint picture = KeyCaps::PictureOriginTwips / Scale::TwipsPerPixel;
        for (int i = 0; i < KeyCaps::Count; ++i) {
            const QRect cap = KeyCaps::capRect(i).translated(picture);
            const QPoint right = handPlace(Hand::Right, i), left = handPlace(Hand::Left, i);
            QVERIFY2(cap.contains(right + QPoint(8, 0)) && cap.contains(right + QPoint(11, 0)) &&
                         cap.contains(left + QPoint(20, 1)) && cap.contains(left + QPoint(22, 1)),
                     qPrintable(QString::number(i)));
            const QRect marker = KeyCaps::markerPixels(i);
            const QList<QRect> parts = KeyCaps::capParts(i);
            const QByteArray at = "marker " + QByteArray::number(i);
            QVERIFY2(std::ranges::any_of(parts, [&](const QRect &p) { return p.contains(marker); }), at);
            QVERIFY2(QRect({}, KeyCaps::PictureSize).contains(KeyCaps::capRect(i)), at);
            for (int j = i + 1; j < KeyCaps::Count; ++j)
                for (const QRect &a : parts)
                    for (const QRect &b : KeyCaps::capParts(j))
                        QVERIFY2(!a.intersects(b), at + " overlaps " + QByteArray::number(j));
            const QString label = QString::fromUtf16(KeyCaps::cap(i).label).toLower();
            const bool typed = KeyCaps::cap(i).kind == KeyCaps::Kind::Character && label != ",";
            QVERIFY2(keys[i] == (i == 74   ? "¨"
                                 : i == 94 ? " "
                                 : typed   ? label
                                           : ""),
                     at + qPrintable(keys[i]));
        }
    }
};

FRAPPIN_GUILESS_TEST_MAIN(TestDataFiles)
#include "tst_datafiles.moc"
