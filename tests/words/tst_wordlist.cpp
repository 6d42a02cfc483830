// The word-list file: word and comment lines, the 1025-entry limit, line ends and encodings, the failure
// message, bad files, and the list that ships with the program.

#include "common/textfile.h"
#include "common/values.h"
#include "settings/store.h"
#include "support/sandbox.h"
#include "words/wordlist.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>

class TestWordList : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void wordLinesAreLoadedWhole_data();
    void wordLinesAreLoadedWhole();
    void aCommentLineStaysPastTheLastWord();
    void moreThan1025WordLinesKeepTheFirst();
    void fileNamedBySettingIsLoaded();
    void unopenableFileShowsThePathTried_data();
    void unopenableFileShowsThePathTried();
    void failedLoadKeepsTheListAsItWas();
    void badFilesLoadQuickly_data();
    void badFilesLoadQuickly();
    void wordIsTheTextBeforeTheFirstComma_data();
    void wordIsTheTextBeforeTheFirstComma();
    void shippedListIsAWindowsFileOfWordsForPupils();
};

void TestWordList::wordLinesAreLoadedWhole_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("entries");
    QTest::newRow("word, comment, word")
        << QByteArray("chat,,\r\n# animaux\r\nchien,,\r\n") << QStringList{"chat,,", "chien,,"};
    QTest::newRow("empty line is a word") << QByteArray("a\r\n\r\nb\r\n") << QStringList{"a", "", "b"};
    QTest::newRow("blank before # is a word") << QByteArray(" #chat\r\n") << QStringList{" #chat"};
    QTest::newRow("no comma") << QByteArray("la maison") << QStringList{"la maison"};
    QTest::newRow("empty file") << QByteArray() << QStringList{};
    QTest::newRow("only comments") << QByteArray("#a\r\n#b") << QStringList{};
    QTest::newRow("lf line ends") << QByteArray("un\ndeux\ntrois\n") << QStringList{"un", "deux", "trois"};
    QTest::newRow("cr line ends") << QByteArray("un\rdeux") << QStringList{"un", "deux"};
    QTest::newRow("windows-1252") << QByteArray("f\xEAte,,\r\nna\xEF\x66,,\r\n")
                                  << QStringList{"fête,,", "naïf,,"};
    QTest::newRow("utf-8") << QByteArray("f\xC3\xAAte\n\xC3\xA9t\xC3\xA9\n") << QStringList{"fête", "été"};
    QTest::newRow("long line kept whole") << QByteArray(40000, 'a') << QStringList{QString(40000, u'a')};
}

void TestWordList::wordLinesAreLoadedWhole()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, entries);
    Sandbox sandbox;
    sandbox.writeFile("frappin.mot", bytes);
    QCOMPARE(ChargePhrases(), 0);
    QVERIFY(sandbox.messages.isEmpty());
    const ProgramValues &v = values();
    QCOMPARE(v.NbPhrases, entries.size());
    for (qsizetype i = 0; i < entries.size(); ++i)
        QCOMPARE(v.Phrases[static_cast<std::size_t>(i)], entries[i]);
}

void TestWordList::aCommentLineStaysPastTheLastWord()
{
    Sandbox sandbox;
    sandbox.writeFile("frappin.mot", "chat\r\n# fin\r\n");
    ChargePhrases();
    QCOMPARE(values().NbPhrases, 1);
    QCOMPARE(values().Phrases[1], QStringLiteral("# fin"));
}

void TestWordList::moreThan1025WordLinesKeepTheFirst()
{
    Sandbox sandbox;
    QByteArray bytes;
    for (int i = 0; i < 1030; ++i)
        bytes += "mot" + QByteArray::number(i) + ",,\r\n";
    sandbox.writeFile("frappin.mot", bytes);
    ChargePhrases();
    QVERIFY(sandbox.messages.isEmpty());
    QCOMPARE(values().NbPhrases, 1025);
    QCOMPARE(values().Phrases[0], QStringLiteral("mot0,,"));
    QCOMPARE(values().Phrases[1024], QStringLiteral("mot1024,,"));
}

void TestWordList::fileNamedBySettingIsLoaded()
{
    Sandbox sandbox;
    sandbox.writeFile("frappin.mot", "chat\r\n");
    sandbox.writeFile("cp.mot", "école\r\ncahier\r\n");
    Store::Write(Store::Frappin, Store::Demarrage, Store::Fichier, "cp.mot");
    ChargePhrases();
    QCOMPARE(values().NbPhrases, 2);
    QCOMPARE(values().Phrases[0], QStringLiteral("école"));
}

void TestWordList::unopenableFileShowsThePathTried_data()
{
    QTest::addColumn<QString>("fichier");
    QTest::addColumn<bool>("folderInstead");
    QTest::newRow("default missing") << QString() << false;
    QTest::newRow("named file missing") << "ce1.mot" << false;
    QTest::newRow("folder of that name") << "dossier.mot" << true;
    QTest::newRow("empty name") << "" << false;
}

void TestWordList::unopenableFileShowsThePathTried()
{
    QFETCH(QString, fichier);
    QFETCH(bool, folderInstead);
    Sandbox sandbox;
    if (!fichier.isNull())
        Store::Write(Store::Frappin, Store::Demarrage, Store::Fichier, fichier);
    const QString name = fichier.isNull() ? QStringLiteral("frappin.mot") : fichier;
    if (folderInstead)
        QVERIFY(QDir(sandbox.folder()).mkdir(name));
    ChargePhrases();
    QCOMPARE(sandbox.messages.size(), 1);
    const MessageRequest &box = sandbox.messages.first();
    QCOMPARE(box.text, QStringLiteral("Impossible de charger le fichier des mots.\rChemin '") +
                           sandbox.folder() + "/" + name +
                           QStringLiteral("'\rVeuillez vous procurer une version complète ou réinstaller le "
                                          "programme."));
    QCOMPARE(box.title, QStringLiteral("Fichier des mots"));
    QCOMPARE(box.buttons, MsgButtons::Ok);
    QCOMPARE(box.icon, MsgIcon::None);
    QCOMPARE(values().NbPhrases, 0);
}

void TestWordList::failedLoadKeepsTheListAsItWas()
{
    Sandbox sandbox;
    TextTable phrases;
    phrases[0] = QStringLiteral("chat");
    qint16 count = 1;
    QVERIFY(!loadWordList(sandbox.path("absent.mot"), phrases, count));
    QCOMPARE(count, 1);
    QCOMPARE(phrases[0], QStringLiteral("chat"));
}

void TestWordList::badFilesLoadQuickly_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("count");
    QByteArray binary;
    for (int i = 0; i < 1 << 20; ++i)
        binary.append(static_cast<char>((i * 2654435761u) >> 24));
    QTest::newRow("binary garbage") << binary << -1;
    QTest::newRow("one line of 100000 characters") << QByteArray(100000, 'm') << 1;
    QByteArray huge(50 * 1024 * 1024, 'x');
    for (qsizetype i = 80; i < huge.size(); i += 81)
        huge[i] = '\n';
    QTest::newRow("50 MB") << huge << 1025;
    QTest::newRow("40 commas") << (QByteArray(40, ',') + "\r\nchat") << 2;
}

void TestWordList::badFilesLoadQuickly()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, count);
    Sandbox sandbox;
    sandbox.writeFile("frappin.mot", bytes);
    QElapsedTimer clock;
    clock.start();
    ChargePhrases();
    QVERIFY2(clock.elapsed() < 5000, "a bad word list must not hold up the start");
    QVERIFY(sandbox.messages.isEmpty());
    if (count >= 0)
        QCOMPARE(values().NbPhrases, count);
    else
        QVERIFY(values().NbPhrases > 0 && values().NbPhrases <= MaxListEntries);
}

void TestWordList::wordIsTheTextBeforeTheFirstComma_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("word");
    QTest::newRow("word list line") << "chat,,"
                                    << "chat";
    QTest::newRow("reserved field") << "chat,cat"
                                    << "chat";
    QTest::newRow("no comma") << "la maison"
                              << "la maison";
    QTest::newRow("leading blank kept") << " chat,"
                                        << " chat";
    QTest::newRow("starts with comma") << ",chat"
                                       << "";
}

void TestWordList::wordIsTheTextBeforeTheFirstComma()
{
    QFETCH(QString, entry);
    QFETCH(QString, word);
    QCOMPARE(wordOfEntry(entry), word);
}

void TestWordList::shippedListIsAWindowsFileOfWordsForPupils()
{
    QFile file(QStringLiteral(FRAPPIN_RESOURCES_DIR "/frappin.mot"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY2(bytes.startsWith('#'), "the list starts with a comment");
    QVERIFY2(!bytes.contains("\xC3"), "the list is Windows-1252, not UTF-8");
    QCOMPARE(bytes.count("\n"), bytes.count("\r\n"));

    const QString text = decodeTextFile(bytes);
    QStringList words;
    for (LineReader lines(text); !lines.atEnd();) {
        const QString line = lines.next().toString();
        if (line.startsWith(u'#'))
            continue;
        QVERIFY2(line.endsWith(QStringLiteral(",,")) && line.count(u',') == 2, qPrintable(line));
        const QString word = wordOfEntry(line);
        QVERIFY2(!word.isEmpty() && word.trimmed() == word, qPrintable(line));
        QVERIFY2(!words.contains(word), qPrintable("twice: " + word));
        words.append(word);
    }
    QVERIFY2(words.size() >= 200, qPrintable(QString::number(words.size())));
    QVERIFY(words.size() <= MaxListEntries);
    const QString all = words.join(u' ');
    for (QChar accented : QStringLiteral("éèêàçôîëïâ"))
        QVERIFY2(all.contains(accented), qPrintable(QString(accented)));
}

FRAPPIN_TEST_MAIN(TestWordList)
#include "tst_wordlist.moc"
