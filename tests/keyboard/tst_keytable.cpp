// The line splitter and the keyboard position file: fields, limits, comment and empty lines, line ends,
// encodings, the failure message, and the key lookup.

#include "common/platform.h"
#include "common/values.h"
#include "keyboard/expandword.h"
#include "keyboard/keytable.h"
#include "support/sandbox.h"

#include <QApplication>
#include <QDir>
#include <QTest>

class TestKeyTable : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void expandWordSplitsAtEveryComma_data();
    void expandWordSplitsAtEveryComma();
    void expandWordKeepsHigherFieldsOfEarlierCalls();
    void expandWordRefusesLinesPastItsLimits_data();
    void expandWordRefusesLinesPastItsLimits();

    void dataLinesTakeTheMarkerIndexes_data();
    void dataLinesTakeTheMarkerIndexes();
    void readingStopsAtTheTableSize();
    void missingFileShowsTheMessageAndKeepsTheTable_data();
    void missingFileShowsTheMessageAndKeepsTheTable();
    void badFilesLoadWhatTheyCan_data();
    void badFilesLoadWhatTheyCan();

    void lookupFindsTheLowestIndex();
};

void TestKeyTable::expandWordSplitsAtEveryComma_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("fields");
    QTest::newRow("no comma") << "chat" << QStringList{"chat", ""};
    QTest::newRow("word list line") << "chat,," << QStringList{"chat", "", "", ""};
    QTest::newRow("key line") << "3,e,z,w" << QStringList{"3", "e", "z", "w", ""};
    QTest::newRow("blanks kept") << " a , b" << QStringList{" a ", " b", ""};
    QTest::newRow("empty line") << "" << QStringList{"", ""};
    QTest::newRow("only commas") << ",," << QStringList{"", "", "", ""};
    QTest::newRow("space key") << "94, ,Espace" << QStringList{"94", " ", "Espace", ""};
}

void TestKeyTable::expandWordSplitsAtEveryComma()
{
    QFETCH(QString, line);
    QFETCH(QStringList, fields);
    FieldTable champs;
    QVERIFY(ExpandWord(line, champs));
    for (qsizetype k = 0; k < fields.size(); ++k)
        QCOMPARE(champs[static_cast<std::size_t>(k)], fields[k]);
}

void TestKeyTable::expandWordKeepsHigherFieldsOfEarlierCalls()
{
    FieldTable champs;
    QVERIFY(ExpandWord(u"a,b,c,d", champs));
    QVERIFY(ExpandWord(u"x", champs));
    QCOMPARE(champs[0], QStringLiteral("x"));
    QCOMPARE(champs[1], QString());
    QCOMPARE(champs[2], QStringLiteral("c"));
    QCOMPARE(champs[3], QStringLiteral("d"));
}

void TestKeyTable::expandWordRefusesLinesPastItsLimits_data()
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

void TestKeyTable::expandWordRefusesLinesPastItsLimits()
{
    QFETCH(QString, line);
    QFETCH(bool, fits);
    FieldTable champs;
    champs[0] = QStringLiteral("avant");
    QCOMPARE(ExpandWord(line, champs), fits);
    if (!fits)
        QCOMPARE(champs[0], QStringLiteral("avant"));
    else
        QCOMPARE(champs[0].size(), line.count(u',') == 0 ? line.size() : 0);
}

void TestKeyTable::dataLinesTakeTheMarkerIndexes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("last");
    QTest::addColumn<QStringList>("characters");
    QTest::newRow("crlf") << QByteArray("0,a\r\n1,b\r\n") << 1 << QStringList{"a", "b"};
    QTest::newRow("lf") << QByteArray("0,a\n1,b\n") << 1 << QStringList{"a", "b"};
    QTest::newRow("cr") << QByteArray("0,a\r1,b") << 1 << QStringList{"a", "b"};
    QTest::newRow("comments take no index")
        << QByteArray("# clavier\r\n0,a\r\n#1,x\r\n1,b\r\n") << 1 << QStringList{"a", "b"};
    QTest::newRow("blank before # is data") << QByteArray(" #,x\r\n") << 0 << QStringList{"x"};
    QTest::newRow("field 0 does not count") << QByteArray("3,e,z,w\r\n") << 0 << QStringList{"e"};
    QTest::newRow("empty line takes an entry")
        << QByteArray("0,a\r\n\r\n2,c\r\n") << 2 << QStringList{"a", "", "c"};
    QTest::newRow("no comma is an empty character") << QByteArray("Echap\r\n") << 0 << QStringList{""};
    QTest::newRow("only comments") << QByteArray("#a\r\n#b\r\n") << -1 << QStringList{};
    QTest::newRow("empty file") << QByteArray() << -1 << QStringList{};
    QTest::newRow("windows-1252") << QByteArray("18,\xE9\r\n25,\xE7\r\n") << 1 << QStringList{"é", "ç"};
    QTest::newRow("utf-8") << QByteArray("18,\xC3\xA9\n48,^\n") << 1 << QStringList{"é", "^"};
    QTest::newRow("40 commas stop the reading")
        << (QByteArray("0,a\r\n") + QByteArray(40, ',') + "\r\n2,c\r\n") << 0 << QStringList{"a"};
    QTest::newRow("too long a line stops the reading")
        << (QByteArray("0,a\r\n1,b\r\n") + QByteArray(32766, 'x') + "\r\n3,d\r\n") << 1
        << QStringList{"a", "b"};
}

void TestKeyTable::dataLinesTakeTheMarkerIndexes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, last);
    QFETCH(QStringList, characters);
    Sandbox sandbox;
    sandbox.writeFile(KeyboardFileName, bytes);
    QCOMPARE(ChargeIndications(), 0);
    QVERIFY(sandbox.messages.isEmpty());
    const ProgramValues &v = values();
    QCOMPARE(v.DerniereTouche, last);
    for (qsizetype i = 0; i < characters.size(); ++i)
        QCOMPARE(v.ToucheCaractere[static_cast<std::size_t>(i)], characters[i]);
}

void TestKeyTable::readingStopsAtTheTableSize()
{
    Sandbox sandbox;
    QByteArray bytes;
    for (int i = 0; i < 1100; ++i)
        bytes += QByteArray::number(i) + ',' + QByteArray::number(i) + "\r\n";
    sandbox.writeFile(KeyboardFileName, bytes);
    ChargeIndications();
    QCOMPARE(values().DerniereTouche, 1024);
    QCOMPARE(values().ToucheCaractere[1024], QStringLiteral("1024"));
}

void TestKeyTable::missingFileShowsTheMessageAndKeepsTheTable_data()
{
    QTest::addColumn<bool>("folderInstead");
    QTest::newRow("missing") << false;
    QTest::newRow("a folder of that name") << true;
}

void TestKeyTable::missingFileShowsTheMessageAndKeepsTheTable()
{
    QFETCH(bool, folderInstead);
    Sandbox sandbox;
    if (folderInstead)
        QVERIFY(QDir(sandbox.folder()).mkdir(KeyboardFileName));
    ChargeIndications();
    QCOMPARE(sandbox.messages.size(), 1);
    const MessageRequest &box = sandbox.messages.first();
    QCOMPARE(box.title, QStringLiteral("Fichier du clavier"));
    QCOMPARE(box.text, QStringLiteral("Impossible de charger la position du clavier.\rChemin '") +
                           sandbox.folder() +
                           QStringLiteral("/clavier.dat'\rVeuillez vous procurer une version complète ou "
                                          "réinstaller le programme."));
    QCOMPARE(box.buttons, MsgButtons::Ok);
    QCOMPARE(box.icon, MsgIcon::None);
    QCOMPARE(values().DerniereTouche, 0);
    // The never-loaded entry 0 matches the empty text only.
    QCOMPARE(findKey(values().ToucheCaractere, values().DerniereTouche, QString()), 0);
    QCOMPARE(findKey(values().ToucheCaractere, values().DerniereTouche, QStringLiteral("a")), -1);
}

void TestKeyTable::badFilesLoadWhatTheyCan_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("last");
    QByteArray binary;
    for (int i = 0; i < 65536; ++i)
        binary.append(static_cast<char>((i * 2654435761u) >> 24));
    QTest::newRow("binary garbage") << binary << -2;
    QTest::newRow("one line of 100000 characters") << QByteArray(100000, 'k') << -1;
    QTest::newRow("nul bytes") << QByteArray("0,a\0b\r\n", 7) << 0;
    QByteArray huge;
    huge.reserve(50 * 1024 * 1024);
    const QByteArray line("# commentaire de remplissage pour un tres gros fichier\r\n");
    while (huge.size() < 50 * 1024 * 1024)
        huge += line;
    huge += "0,a\r\n";
    QTest::newRow("50 MB of comments") << huge << 0;
}

void TestKeyTable::badFilesLoadWhatTheyCan()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, last);
    Sandbox sandbox;
    sandbox.writeFile(KeyboardFileName, bytes);
    ChargeIndications();
    QVERIFY(sandbox.messages.isEmpty());
    if (last >= -1)
        QCOMPARE(values().DerniereTouche, last);
    else
        QVERIFY(values().DerniereTouche >= -1 && values().DerniereTouche < MaxListEntries);
}

void TestKeyTable::lookupFindsTheLowestIndex()
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

FRAPPIN_TEST_MAIN(TestKeyTable)
#include "tst_keytable.moc"
