// The line splitter and the keyboard position file: fields, limits, comment and empty lines, the failure
// message, bad files, and the key lookup. tst_badinput loads the file in every encoding and line end, with
// too many lines, too long a line, too many commas, NUL characters, and files that cannot be read.

#include "common/values.h"
#include "keyboard/expandword.h"
#include "keyboard/keytable.h"
#include "support/sandbox.h"

#include <QDir>
#include <QTest>

class TestKeyTable : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void expandWordSplitsAtEveryComma_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>(
            "fields"); // the first seven, joined with "|", after splitting "1,2,3,4,5,6"
        // clang-format off
        QTest::newRow("no comma")       << "chat"          << "chat||3|4|5|6|";
        QTest::newRow("word list line") << "chat,,"        << "chat||||5|6|";
        QTest::newRow("key line")       << "3,e,z,w"       << "3|e|z|w||6|";
        QTest::newRow("blanks kept")    << " a , b"        << " a | b||4|5|6|";
        QTest::newRow("empty line")     << ""              << "||3|4|5|6|";
        QTest::newRow("only commas")    << ",,"            << "||||5|6|";
        QTest::newRow("space key")      << "94, ,Espace"   << "94| |Espace||5|6|";
        QTest::newRow("seven fields")   << "a,b,c,d,e,f,g" << "a|b|c|d|e|f|g";
        // clang-format on
    }
    // A line is cut at every comma, untrimmed; the fields past the next one keep what they held.
    void expandWordSplitsAtEveryComma()
    {
        QFETCH(QString, line);
        QFETCH(QString, fields);
        FieldTable champs;
        QVERIFY(ExpandWord(u"1,2,3,4,5,6", champs));
        QVERIFY(ExpandWord(line, champs));
        QCOMPARE(QStringList(champs.begin(), champs.begin() + 7).join(u'|'), fields);
    }

    void expandWordRefusesLinesPastItsLimits_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("fits");
        QTest::newRow("31 commas") << QString(31, u',') << true;
        QTest::newRow("32 commas") << QString(32, u',') << false;
        QTest::newRow("40 commas") << QString(40, u',') << false;
        QTest::newRow("32765 characters") << QString(32765, u'a') << true;
        QTest::newRow("32766 characters") << QString(32766, u'a') << false;
        QTest::newRow("100000 characters") << QString(100000, u'a') << false;
    }
    // A line of more than 31 commas or 32,765 characters is refused and leaves the fields as they were.
    void expandWordRefusesLinesPastItsLimits()
    {
        QFETCH(QString, line);
        QFETCH(bool, fits);
        FieldTable champs;
        champs[0] = QStringLiteral("avant");
        QCOMPARE(ExpandWord(line, champs), fits);
        QCOMPARE(champs[0], !fits ? QStringLiteral("avant") : line.contains(u',') ? QString() : line);
    }

    void dataLinesTakeTheMarkerIndexes_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("last");           // -2: any index the table holds
        QTest::addColumn<QString>("characters"); // of the entries loaded, separated by "|"
        QByteArray garbage(65536, '\0');
        for (int i = 0; i < garbage.size(); ++i)
            garbage[i] = static_cast<char>((i * 2654435761u) >> 24);
        const QByteArray huge =
            QByteArray("# commentaire de remplissage d'un très gros fichier\r\n").repeated(1 << 20);
        // clang-format off
        QTest::newRow("comments take no index") << QByteArray("#c\r\n0,a\r\n#1,x\r\n1,b\r\n") << 1  << "a|b";
        QTest::newRow("blank before # is data") << QByteArray(" #,x\r\n")                     << 0  << "x";
        QTest::newRow("field 0 does not count") << QByteArray("3,e,z,w\r\n")                  << 0  << "e";
        QTest::newRow("no comma: no character") << QByteArray("Echap\r\n")                    << 0  << "";
        QTest::newRow("empty file")             << QByteArray()                               << -1 << "";
        QTest::newRow("only comments")          << QByteArray("#a\r\n#b")                     << -1 << "";
        QTest::newRow("binary garbage")         << garbage                                    << -2 << "";
        QTest::newRow("50 MB of comments")      << huge + "0,a\r\n"                           << 0  << "a";
        // clang-format on
    }
    // The n-th data line gives marker n its character, field 1; a file of any content loads without a word.
    void dataLinesTakeTheMarkerIndexes()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, last);
        QFETCH(QString, characters);
        Sandbox sandbox;
        sandbox.writeFile(KeyboardFileName, bytes);
        QCOMPARE(ChargeIndications(), 0);
        QVERIFY(sandbox.messages.isEmpty());
        const ProgramValues &v = values();
        if (last == -2) {
            QVERIFY(v.DerniereTouche >= -1 && v.DerniereTouche < MaxListEntries);
        } else {
            QCOMPARE(v.DerniereTouche, last);
            const QStringList loaded(v.ToucheCaractere.begin(), v.ToucheCaractere.begin() + last + 1);
            QCOMPARE(loaded.join(u'|'), characters);
        }
    }

    void missingFileShowsTheMessageAndKeepsTheTable_data()
    {
        QTest::addColumn<bool>("folderInstead");
        QTest::newRow("missing") << false;
        QTest::newRow("a folder of that name") << true;
    }
    // A keyboard file that cannot be opened is told with the path tried, and the table stays empty.
    void missingFileShowsTheMessageAndKeepsTheTable()
    {
        QFETCH(bool, folderInstead);
        Sandbox sandbox;
        if (folderInstead)
            QVERIFY(QDir(sandbox.folder()).mkdir(KeyboardFileName));
        ChargeIndications();
        const QString text = "Impossible de charger la position du clavier.\rChemin '" + sandbox.folder() +
                             "/clavier.dat'\rVeuillez vous procurer une version complète ou réinstaller le "
                             "programme.";
        QCOMPARE(sandbox.messages, (QList<MessageRequest>{{text, "Fichier du clavier"}}));
        QCOMPARE(values().DerniereTouche, 0);
        // The never-loaded entry 0 matches the empty text only.
        QCOMPARE(findKey(values().ToucheCaractere, values().DerniereTouche, QString()), 0);
        QCOMPARE(findKey(values().ToucheCaractere, values().DerniereTouche, QStringLiteral("a")), -1);
    }

    // The lookup gives the lowest index up to the last entry whose character is the one asked, exactly.
    void lookupFindsTheLowestIndex()
    {
        TextTable table;
        table[0] = QStringLiteral("a");
        table[1] = QStringLiteral("e");
        table[2] = QStringLiteral("E");
        table[3] = QStringLiteral("e");
        table[4] = QStringLiteral("z");
        QCOMPARE(findKey(table, 4, QStringLiteral("e")), 1);
        QCOMPARE(findKey(table, 4, QStringLiteral("E")), 2);
        QCOMPARE(findKey(table, 4, QStringLiteral("z")), 4);
        QCOMPARE(findKey(table, 3, QStringLiteral("z")), -1);
        QCOMPARE(findKey(table, -1, QStringLiteral("a")), -1);
        QCOMPARE(findKey(table, 4, QStringLiteral("é")), -1);
    }
};

FRAPPIN_TEST_MAIN(TestKeyTable)
#include "tst_keytable.moc"
