// The word-list file: word and comment lines, the setting that names it, the failure message, bad files, and
// the list that ships with the program. tst_text decodes the encodings and cuts the line ends; tst_badinput
// loads whole files in each of them, with too many lines, too long a line, too many commas, NUL characters,
// and files that cannot be read.

#include "common/textfile.h"
#include "common/values.h"
#include "settings/store.h"
#include "support/sandbox.h"
#include "words/wordlist.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTest>

namespace {
const QByteArray Words("chat,,\r\n# animaux\r\nchien,,\r\n# fin\r\n");
} // namespace

class TestWordList : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void wordLinesAreLoadedWhole_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("count"); // -1: any number the list holds
        QTest::addColumn<QStringList>("entries");
        QByteArray garbage(1 << 20, '\0');
        for (int i = 0; i < garbage.size(); ++i)
            garbage[i] = static_cast<char>((i * 2654435761u) >> 24);
        const QByteArray huge = QByteArray(80, 'x').append('\n').repeated(50 * 1024 * 1024 / 81);
        // clang-format off
        QTest::newRow("word, comment, word") << Words << 2 << QStringList{"chat,,", "chien,,"};
        QTest::newRow("blank before #")      << QByteArray(" #chat\r\n") << 1 << QStringList{" #chat"};
        QTest::newRow("empty file")          << QByteArray() << 0 << QStringList{};
        QTest::newRow("only comments")       << QByteArray("#a\r\n#b") << 0 << QStringList{};
        QTest::newRow("binary garbage")      << garbage << -1 << QStringList{};
        QTest::newRow("50 MB")               << huge << 1025 << QStringList{QString(80, 'x')};
        // clang-format on
    }
    // Every line but a comment is one entry, kept whole; any file loads quickly and without a word.
    void wordLinesAreLoadedWhole()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, count);
        QFETCH(QStringList, entries);
        Sandbox sandbox;
        sandbox.writeFile("frappin.mot", bytes);
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(ChargePhrases(), 0);
        QVERIFY2(clock.elapsed() < 30000, "a bad word list must not hang the start");
        QVERIFY(sandbox.messages.isEmpty());
        const ProgramValues &v = values();
        if (count < 0)
            QVERIFY(v.NbPhrases > 0 && v.NbPhrases <= MaxListEntries);
        else
            QCOMPARE(v.NbPhrases, count);
        for (qsizetype i = 0; i < entries.size(); ++i)
            QCOMPARE(v.Phrases[static_cast<std::size_t>(i)], entries[i]);
        // A comment line after the last word takes the next place without being counted.
        if (bytes == Words)
            QCOMPARE(v.Phrases[2], QStringLiteral("# fin"));
    }

    void unopenableFileShowsThePathTried_data()
    {
        QTest::addColumn<QString>("fichier"); // null: no setting
        QTest::addColumn<bool>("folderInstead");
        QTest::newRow("default missing") << QString() << false;
        QTest::newRow("named file missing") << "ce1.mot" << false;
        QTest::newRow("folder of that name") << "dossier.mot" << true;
        QTest::newRow("empty name") << "" << false;
    }
    // The file "Fichier" names is loaded; one that cannot be opened is told with the path tried.
    void unopenableFileShowsThePathTried()
    {
        QFETCH(QString, fichier);
        QFETCH(bool, folderInstead);
        Sandbox sandbox;
        sandbox.writeFile("cp.mot", "école\r\ncahier\r\n");
        if (!fichier.isNull())
            Store::Write(Store::Frappin, Store::Demarrage, Store::Fichier, fichier);
        const QString name = fichier.isNull() ? QStringLiteral("frappin.mot") : fichier;
        if (folderInstead)
            QVERIFY(QDir(sandbox.folder()).mkdir(name));
        ChargePhrases();
        const QString text = "Impossible de charger le fichier des mots.\rChemin '" + sandbox.folder() + "/" +
                             name +
                             "'\rVeuillez vous procurer une version complète ou réinstaller le programme.";
        QCOMPARE(sandbox.messages, (QList<MessageRequest>{{text, "Fichier des mots"}}));
        QCOMPARE(values().NbPhrases, 0);

        Store::Write(Store::Frappin, Store::Demarrage, Store::Fichier, "cp.mot");
        ChargePhrases();
        QCOMPARE(values().NbPhrases, 2);
        QCOMPARE(values().Phrases[0], QStringLiteral("école"));
    }

    void wordIsTheTextBeforeTheFirstComma_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("word");
        // clang-format off
        QTest::newRow("word list line")     << "chat,,"    << "chat";
        QTest::newRow("reserved field")     << "chat,cat"  << "chat";
        QTest::newRow("no comma")           << "la maison" << "la maison";
        QTest::newRow("leading blank kept") << " chat,"    << " chat";
        QTest::newRow("starts with comma")  << ",chat"     << "";
        // clang-format on
    }
    // The word of an entry is all that comes before its first comma, blanks included.
    void wordIsTheTextBeforeTheFirstComma()
    {
        QFETCH(QString, entry);
        QFETCH(QString, word);
        QCOMPARE(wordOfEntry(entry), word);
    }

    // The shipped list holds at least 200 distinct words with French accents, one "word,," line each.
    void shippedListIsAWindowsFileOfWordsForPupils()
    {
        const QByteArray bytes = fileBytes(QStringLiteral(FRAPPIN_RESOURCES_DIR "/frappin.mot"));
        QVERIFY2(bytes.startsWith('#'), "the list starts with a comment");

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
        QVERIFY2(words.size() >= 200 && words.size() <= MaxListEntries,
                 qPrintable(QString::number(words.size())));
        const QString all = words.join(u' ');
        for (QChar accented : QStringLiteral("éèêàçôîëïâ"))
            QVERIFY2(all.contains(accented), qPrintable(QString(accented)));
    }
};

FRAPPIN_TEST_MAIN(TestWordList)
#include "tst_wordlist.moc"
