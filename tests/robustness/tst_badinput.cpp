// Bad input of every kind the program meets: data files in every encoding and line end with too many lines,
// too long a line or too many fields; data files that cannot be read at all; settings files that are garbage,
// unreadable or unwritable; photographs that are not pictures or claim a huge size; 100,000 characters pasted
// into the typing box; values out of range in every key of the store. Each case must give a clear answer
// quickly, never a crash or a hang, and must lose nothing that was stored. The README's table of bad inputs
// lists these cases together with those of tst_wordlist and tst_keytable.

#include "common/intervaltimer.h"
#include "common/picturebox.h"
#include "common/platform.h"
#include "common/textfile.h"
#include "common/values.h"
#include "exercise/frmmain.h"
#include "keyboard/keytable.h"
#include "settings/pupilphoto.h"
#include "settings/store.h"
#include "support/sandbox.h"
#include "words/wordlist.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QSettings>
#include <QTest>
#include <QtEndian>

#include <functional>
#include <memory>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

class TestBadInput : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void photographsThatAreNotPicturesOrHuge_data();
    void photographsThatAreNotPicturesOrHuge();
    void dataFilesInEveryEncodingAndLineEnd_data();
    void dataFilesInEveryEncodingAndLineEnd();
    void dataFilesThatCannotBeRead_data();
    void dataFilesThatCannotBeRead();
    void programStartsPastDataFilesThatCannotBeRead();
    void oversizedDataFileLoadsItsBeginning();
    void garbageSettingsFile_data();
    void garbageSettingsFile();
    void settingsFileThatCannotBeReadOrWritten_data();
    void settingsFileThatCannotBeReadOrWritten();
    void settingsFolderReplacedByAFile();
    void hundredThousandCharactersPasted_data();
    void hundredThousandCharactersPasted();
    void storeValuesOutOfRange_data();
    void storeValuesOutOfRange();
};

namespace {

constexpr int Budget = 30000; // milliseconds: only a hang is caught here; speed is measured in bench/

const QString ProgramWords = QStringLiteral("chat,,\r\nfête,,\r\nîle,,\r\n");

// A keyboard file that gives the letters of the test words.
QByteArray keyboardFile()
{
    return QStringLiteral(
               "# clavier de test\r\n0,c\r\n1,h\r\n2,a\r\n3,t\r\n4,f\r\n5,^\r\n6,e\r\n7,i\r\n8,l\r\n")
        .toUtf8();
}

QByteArray encoded(const QString &text, const QString &encoding)
{
    if (encoding == QLatin1String("windows-1252")) {
        const std::optional<QByteArray> bytes = encodeWindows1252(text);
        if (!bytes)
            qFatal("test text outside Windows-1252");
        return *bytes;
    }
    const QByteArray utf8 = text.toUtf8();
    return encoding == QLatin1String("utf-8 bom") ? QByteArray("\xEF\xBB\xBF") + utf8 : utf8;
}

// The highest amount of memory the process has held since the last reset, in MB.
void resetPeakMemory()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

qint64 peakMemoryMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong() / 1024;
    }
    return 0;
}

// A BMP file: file header, information header, then pixelBytes bytes of pixels, whatever the header claims.
QByteArray bmp(qint32 width, qint32 height, quint16 bitsPerPixel, qsizetype pixelBytes)
{
    QByteArray bytes(54, '\0');
    auto put32 = [&bytes](int at, quint32 value) { qToLittleEndian(value, bytes.data() + at); };
    auto put16 = [&bytes](int at, quint16 value) { qToLittleEndian(value, bytes.data() + at); };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(2, static_cast<quint32>(54 + pixelBytes));
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<quint32>(width));
    put32(22, static_cast<quint32>(height));
    put16(26, 1);
    put16(28, bitsPerPixel);
    put32(34, static_cast<quint32>(pixelBytes));
    return bytes + QByteArray(pixelBytes, '\x7f');
}

// Lets the ordinary user of asOrdinaryUser() reach a folder and what it holds.
void openToOthers(const QString &folder)
{
    QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                              QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                              QFileDevice::ExeOther | QFileDevice::ReadGroup |
                                              QFileDevice::ExeGroup));
}

QByteArray fileContent(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<illisible>");
}

// The started program, with the test word list and keyboard file unless the test wrote its own.
class Program {
public:
    explicit Program(Sandbox &sandbox)
    {
        if (!QFileInfo::exists(sandbox.path(QStringLiteral("frappin.mot"))))
            sandbox.writeFile(QStringLiteral("frappin.mot"),
                              encoded(ProgramWords, QStringLiteral("windows-1252")));
        if (!QFileInfo::exists(sandbox.path(KeyboardFileName)))
            sandbox.writeFile(KeyboardFileName, keyboardFile());
        QElapsedTimer clock;
        clock.start();
        window = std::make_unique<frmMain>();
        window->show();
        startMs = clock.elapsed();
    }

    QLineEdit *typing() const { return window->findChild<QLineEdit *>(QStringLiteral("MonTexte")); }
    QLineEdit *word() const { return window->findChild<QLineEdit *>(QStringLiteral("MotATaper")); }
    PictureBox *photo() const { return window->findChild<PictureBox *>(QStringLiteral("FrappinPhoto")); }
    bool startEnabled() const
    {
        return window->findChild<QPushButton *>(QStringLiteral("BoutonDepart"))->isEnabled();
    }

    // Runs a whole series, each word typed right; returns the number of words, or -1 when it does not end.
    int runSeries()
    {
        window->BoutonDepart_Click();
        for (int words = 1; words <= 40; ++words) {
            typing()->setText(word()->text());
            if (!window->Timer(0)->isTicking())
                return -1;
            window->Timer_Timer(0);
            if (startEnabled())
                return words;
        }
        return -1;
    }

    std::unique_ptr<frmMain> window;
    qint64 startMs = 0;
};

// The keys of "Démarrage" and "Eleves", as a test sets them before a run.
struct StoredKey {
    QString application;
    QString section;
    QString key;
};

const QList<StoredKey> &everyKey()
{
    static const QList<StoredKey> keys = {
        {Store::Frappin, Store::Demarrage, Store::Niveau},
        {Store::Frappin, Store::Demarrage, Store::Exercice},
        {Store::Frappin, Store::Demarrage, Store::Son},
        {Store::Frappin, Store::Demarrage, Store::Fichier},
        {Store::Frappin, Store::Demarrage, Store::Derniere},
        {Store::Frappin, Store::Demarrage, Store::Prenom},
        {Store::Frappin, Store::Demarrage, Store::Nom},
        {Store::Configuration, Store::SectionFichier, Store::Eleves},
    };
    return keys;
}

QStringList snapshot()
{
    QStringList values;
    for (const StoredKey &k : everyKey())
        values.append(Store::Read(k.application, k.section, k.key, QStringLiteral("<absent>")));
    return values;
}

} // namespace

// A photograph that is not a picture, or whose header claims a huge size, leaves the photo frame empty and
// costs neither time nor memory; a real picture is shown, whatever its file's name says its format is.
void TestBadInput::photographsThatAreNotPicturesOrHuge_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qint64>("sparseSize");
    QTest::addColumn<bool>("shown");

    QImage picture(40, 50, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    QByteArray png;
    {
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        picture.save(&buffer, "PNG");
    }
    QByteArray realBmp;
    {
        QBuffer buffer(&realBmp);
        buffer.open(QIODevice::WriteOnly);
        picture.save(&buffer, "BMP");
    }

    QTest::newRow("a real bitmap") << realBmp << qint64(0) << true;
    QTest::newRow("a PNG picture named .bmp") << png << qint64(0) << true;
    QTest::newRow("text, not a picture") << QByteArray("ceci n'est pas une photo\r\n") << qint64(0) << false;
    QTest::newRow("empty file") << QByteArray() << qint64(0) << false;
    QTest::newRow("BMP signature only") << QByteArray("BM") << qint64(0) << false;
    QTest::newRow("header claims 20000 x 20000") << bmp(20000, 20000, 32, 0) << qint64(0) << false;
    QTest::newRow("header claims 20000 x 20000 top-down") << bmp(20000, -20000, 24, 0) << qint64(0) << false;
    QTest::newRow("header claims 65535 x 65535") << bmp(65535, 65535, 32, 16) << qint64(0) << false;
    QTest::newRow("header claims a negative width") << bmp(-100, 100, 24, 300) << qint64(0) << false;
    QTest::newRow("header claims 0 x 0") << bmp(0, 0, 24, 0) << qint64(0) << false;
    QTest::newRow("header claims 1 bit per pixel, 20000 x 20000")
        << bmp(20000, 20000, 1, 64) << qint64(0) << false;
    // 10000 x 8000 pixels is a picture of 320 MB once decoded: past the limit, even with its data all there
    // (a sparse file of 240 MB, which costs no disk).
    QTest::newRow("a complete 10000 x 8000 bitmap")
        << bmp(10000, 8000, 24, 0) << qint64(54) + 240000000 << false;
}

void TestBadInput::photographsThatAreNotPicturesOrHuge()
{
    QFETCH(QByteArray, bytes);
    QFETCH(qint64, sparseSize);
    QFETCH(bool, shown);
    Sandbox sandbox;
    Store::Write(Store::Frappin, Store::Demarrage, Store::Prenom, QStringLiteral("Zoé"));
    Store::Write(Store::Frappin, Store::Demarrage, Store::Nom, QStringLiteral("Martin"));
    const QString photoPath = sandbox.path(QStringLiteral("Martin-Zoé.bmp"));
    sandbox.writeFile(QStringLiteral("Martin-Zoé.bmp"), bytes);
    if (sparseSize > 0)
        QVERIFY(QFile::resize(photoPath, sparseSize));

    resetPeakMemory();
    const qint64 before = peakMemoryMb();
    Program program(sandbox);
    QVERIFY2(program.startMs < Budget, qPrintable(QString::number(program.startMs)));
    QVERIFY2(peakMemoryMb() - before < 150, qPrintable(QStringLiteral("%1 MB").arg(peakMemoryMb() - before)));
    QCOMPARE(program.photo()->hasPicture(), shown);
    QCOMPARE(program.photo()->hasBorder(), shown);
    QVERIFY(sandbox.messages.isEmpty());
    // The file is only read.
    if (sparseSize == 0)
        QCOMPARE(fileContent(photoPath), bytes);
}

// Every bad shape of content, in each encoding and with each line end, loads the same entries in both
// loaders: the word list keeps every line whole, up to 1025 of them; the keyboard file stops at the first
// line that cannot be split, or after 1025 entries.
void TestBadInput::dataFilesInEveryEncodingAndLineEnd_data()
{
    QTest::addColumn<bool>("keyboard");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("count");     // NbPhrases, or DerniereTouche + 1
    QTest::addColumn<int>("probe");     // an entry to look at
    QTest::addColumn<QString>("entry"); // what it holds

    QStringList manyLines;
    for (int i = 0; i < 1030; ++i)
        manyLines.append(QStringLiteral("n%1,é%1,x").arg(i));
    const QString longLine(100000, u'é');
    const QString commas(40, u',');
    QStringList emptyLines(5000, QString());
    emptyLines.append(QStringLiteral("fin,ë"));
    const QStringList comments(2000, QStringLiteral("#è commentaire, avec virgule"));
    const QString withNul = QStringLiteral("a") + QChar(0) + QStringLiteral("b,ï");

    struct Shape {
        const char *name;
        QStringList lines;
        int words, wordProbe;
        QString wordEntry;
        int keys, keyProbe;
        QString keyEntry;
    };
    const Shape shapes[] = {
        {"1030 lines", manyLines, 1025, 1024, manyLines[1024], 1025, 1024, QStringLiteral("é1024")},
        {"a line of 100000 characters",
         {QStringLiteral("un,à"), longLine, QStringLiteral("deux,è")},
         3,
         1,
         longLine,
         1,
         0,
         QStringLiteral("à")},
        {"a line of 40 commas",
         {QStringLiteral("un,à"), commas, QStringLiteral("deux,è")},
         3,
         1,
         commas,
         1,
         0,
         QStringLiteral("à")},
        {"5000 empty lines", emptyLines, 1025, 1024, QString(), 1025, 1024, QString()},
        {"2000 comment lines", comments, 0, 0, QString(), 0, 0, QString()},
        {"nul characters", {withNul, QStringLiteral("c,ô")}, 2, 0, withNul, 2, 1, QStringLiteral("ô")},
    };
    const char *encodings[] = {"windows-1252", "utf-8", "utf-8 bom"};
    const std::pair<const char *, QString> lineEnds[] = {
        {"crlf", QStringLiteral("\r\n")}, {"lf", QStringLiteral("\n")}, {"cr", QStringLiteral("\r")}};

    for (const Shape &shape : shapes) {
        for (const char *encoding : encodings) {
            for (const auto &[endName, end] : lineEnds) {
                const QByteArray bytes = encoded(shape.lines.join(end) + end, QString::fromLatin1(encoding));
                QTest::addRow("word list, %s, %s, %s", shape.name, encoding, endName)
                    << false << bytes << shape.words << shape.wordProbe << shape.wordEntry;
                QTest::addRow("keyboard file, %s, %s, %s", shape.name, encoding, endName)
                    << true << bytes << shape.keys << shape.keyProbe << shape.keyEntry;
            }
        }
    }
}

void TestBadInput::dataFilesInEveryEncodingAndLineEnd()
{
    QFETCH(bool, keyboard);
    QFETCH(QByteArray, bytes);
    QFETCH(int, count);
    QFETCH(int, probe);
    QFETCH(QString, entry);
    Sandbox sandbox;
    sandbox.writeFile(keyboard ? KeyboardFileName : QStringLiteral("frappin.mot"), bytes);

    QElapsedTimer clock;
    clock.start();
    keyboard ? ChargeIndications() : ChargePhrases();
    QVERIFY(clock.elapsed() < Budget);
    QVERIFY(sandbox.messages.isEmpty());
    const ProgramValues &v = values();
    QCOMPARE(keyboard ? v.DerniereTouche + 1 : int(v.NbPhrases), count);
    if (count > 0)
        QCOMPARE((keyboard ? v.ToucheCaractere : v.Phrases)[static_cast<std::size_t>(probe)], entry);
}

// A data file that is there but cannot be read as a file gets the loader's message, at once, and leaves the
// list or the table as it was. Root reads any file whatever its permission bits say, so the "no permission"
// case is read by the user "nobody" when the tests run as root.
void TestBadInput::dataFilesThatCannotBeRead_data()
{
    QTest::addColumn<bool>("keyboard");
    QTest::addColumn<QString>("kind");
    for (const char *kind : {"named pipe", "no permission", "link to nothing", "link to itself",
                             "link to /dev/zero", "link to a folder"}) {
        QTest::addRow("word list, %s", kind) << false << QString::fromLatin1(kind);
        QTest::addRow("keyboard file, %s", kind) << true << QString::fromLatin1(kind);
    }
}

void TestBadInput::dataFilesThatCannotBeRead()
{
    QFETCH(bool, keyboard);
    QFETCH(QString, kind);
    Sandbox sandbox;
    const QString name = keyboard ? KeyboardFileName : QStringLiteral("frappin.mot");
    const QString path = sandbox.path(name);
    if (kind == QLatin1String("named pipe")) {
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0644), 0);
    } else if (kind == QLatin1String("no permission")) {
        sandbox.writeFile(name, "chat,a\r\n");
        QVERIFY(QFile::setPermissions(path, {}));
        openToOthers(sandbox.folder());
    } else if (kind == QLatin1String("link to nothing")) {
        QVERIFY(QFile::link(sandbox.path(QStringLiteral("absent")), path));
    } else if (kind == QLatin1String("link to itself")) {
        QCOMPARE(symlink(QFile::encodeName(path).constData(), QFile::encodeName(path).constData()), 0);
    } else if (kind == QLatin1String("link to /dev/zero")) {
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
    } else {
        QVERIFY(QFile::link(QDir::tempPath(), path));
    }

    ProgramValues &v = values();
    v.Phrases[0] = QStringLiteral("avant");
    v.NbPhrases = 1;
    v.ToucheCaractere[0] = QStringLiteral("a");
    v.DerniereTouche = 0;
    auto load = [&] {
        keyboard ? ChargeIndications() : ChargePhrases();
        const bool kept = keyboard ? v.DerniereTouche == 0 && v.ToucheCaractere[0] == QLatin1String("a")
                                   : v.NbPhrases == 1 && v.Phrases[0] == QLatin1String("avant");
        return sandbox.messages.size() == 1 && sandbox.messages.first().text.contains(path) && kept ? 0 : 1;
    };

    QElapsedTimer clock;
    clock.start();
    if (kind == QLatin1String("no permission")) {
        const int result = asOrdinaryUser(load);
        if (result < 0)
            QSKIP("cannot take the rights of an ordinary user here");
        QCOMPARE(result, 0);
    } else {
        QCOMPARE(load(), 0);
    }
    QVERIFY(clock.elapsed() < Budget);
}

// The whole program starts within the budget when both data files are pipes, or links to a device.
void TestBadInput::programStartsPastDataFilesThatCannotBeRead()
{
    Sandbox sandbox;
    QCOMPARE(mkfifo(QFile::encodeName(sandbox.path(QStringLiteral("frappin.mot"))).constData(), 0644), 0);
    QVERIFY(QFile::link(QStringLiteral("/dev/urandom"), sandbox.path(KeyboardFileName)));
    Program program(sandbox);
    QVERIFY(program.startMs < Budget);
    QCOMPARE(sandbox.messages.size(), 2);
    QVERIFY(
        sandbox.messages[0].text.startsWith(QStringLiteral("Impossible de charger le fichier des mots.")));
    QVERIFY(
        sandbox.messages[1].text.startsWith(QStringLiteral("Impossible de charger la position du clavier.")));
    QCOMPARE(values().NbPhrases, 0);
}

// A word list of 3 GB (a sparse file: no disk is used) whose first lines are words: the loader reads only its
// first 64 MiB, quickly and without taking gigabytes of memory, and keeps the whole lines found there.
void TestBadInput::oversizedDataFileLoadsItsBeginning()
{
    Sandbox sandbox;
    QByteArray start;
    for (int i = 0; i < 10; ++i)
        start += "mot" + QByteArray::number(i) + ",,\r\n";
    sandbox.writeFile(QStringLiteral("frappin.mot"), start);
    QVERIFY(QFile::resize(sandbox.path(QStringLiteral("frappin.mot")), qint64(3) * 1024 * 1024 * 1024));

    resetPeakMemory();
    const qint64 before = peakMemoryMb();
    QElapsedTimer clock;
    clock.start();
    ChargePhrases();
    QVERIFY2(clock.elapsed() < Budget, qPrintable(QString::number(clock.elapsed())));
    QVERIFY2(peakMemoryMb() - before < 400, qPrintable(QStringLiteral("%1 MB").arg(peakMemoryMb() - before)));
    QVERIFY(sandbox.messages.isEmpty());
    // The rest of what is read holds no line end: the reading stops after the last whole line.
    QCOMPARE(values().NbPhrases, 10);
    QCOMPARE(values().Phrases[9], QStringLiteral("mot9,,"));
}

// A settings file that is garbage, wholly or around valid lines: the program starts with what it can read
// (the defaults for the rest), runs a series, stores its results, and keeps the valid values it found.
void TestBadInput::garbageSettingsFile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("greeting");
    QTest::addColumn<bool>("resultsStored");

    QByteArray binary;
    for (int i = 0; i < 65536; ++i)
        binary.append(static_cast<char>((i * 2654435761u) >> 24));
    const QByteArray valid = QStringLiteral("[Démarrage]\nPrenom=Zoé\nDernière=Zoé\n").toUtf8();
    const QByteArray kept = QByteArray("\n[Autre]\nNote=12\n");

    QTest::newRow("binary garbage") << binary << QString() << false;
    QTest::newRow("valid lines around binary garbage")
        << valid + binary + kept << QStringLiteral("Zoé") << true;
    QTest::newRow("UTF-16 text") << QByteArray("\xFF\xFE[\0D\0]\0\n\0", 10) << QString() << false;
    QTest::newRow("one line of 1 MB") << QByteArray(1024 * 1024, '[') << QString() << false;
    QTest::newRow("5 MB of lines without sections")
        << QByteArray(5 * 1024 * 1024 / 16, 'x').repeated(16).replace(QByteArray(20, 'x'), "\n=\\\"[]/;#x\n")
        << QString() << false;
    QTest::newRow("valid lines, then an unterminated quote") << valid + kept + "Nom=\"Martin\n"
                                                             << QStringLiteral("Zoé") << true;
}

void TestBadInput::garbageSettingsFile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, greeting);
    QFETCH(bool, resultsStored);
    Sandbox sandbox;
    const QString ini = TestSupport::configFolder() + QStringLiteral("/Frappin.ini");
    QVERIFY(QDir().mkpath(TestSupport::configFolder()));
    {
        QFile file(ini);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    Program program(sandbox);
    QVERIFY2(program.startMs < Budget, qPrintable(QString::number(program.startMs)));
    QCOMPARE(program.typing()->text(), greeting);
    QCOMPARE(program.runSeries(), 5);
    QCOMPARE(Store::Read(Store::Frappin, QStringLiteral("Zoé"), Store::Note, QString()).isEmpty(),
             !resultsStored);
    if (resultsStored) {
        QCOMPARE(Store::Read(Store::Frappin, Store::Demarrage, Store::Prenom, QString()),
                 QStringLiteral("Zoé"));
        QCOMPARE(Store::Read(Store::Frappin, QStringLiteral("Autre"), Store::Note, QString()),
                 QStringLiteral("12"));
    } else {
        // Nothing was written: the file is as it was.
        QCOMPARE(fileContent(ini), bytes);
    }
}

// A settings file that the user may not read, or may not write: reads give the defaults or the values, a
// write fails and says so to its caller, and the file keeps what it held. The permission bits are tested
// with the rights of "nobody" when the tests run as root.
void TestBadInput::settingsFileThatCannotBeReadOrWritten_data()
{
    QTest::addColumn<bool>("readable");
    QTest::newRow("no permission at all") << false;
    QTest::newRow("read-only file and folder") << true;
}

void TestBadInput::settingsFileThatCannotBeReadOrWritten()
{
    QFETCH(bool, readable);
    Sandbox sandbox;
    QVERIFY(Store::Write(Store::Frappin, Store::Demarrage, Store::Prenom, QStringLiteral("Zoé")));
    QVERIFY(Store::Write(Store::Frappin, Store::Demarrage, Store::Exercice, QStringLiteral("3")));
    const QString folder = TestSupport::configFolder();
    const QString ini = folder + QStringLiteral("/Frappin.ini");
    const QByteArray before = fileContent(ini);
    {
        // Qt keeps what it read of a settings file until the file's time changes: the ordinary user must read
        // it afresh, as a program just started does.
        QFile file(ini);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(
            file.setFileTime(QDateTime::currentDateTime().addDays(-1), QFileDevice::FileModificationTime));
    }
    openToOthers(QFileInfo(folder).path());
    QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                              QFileDevice::ReadOther | QFileDevice::ExeOther));
    QVERIFY(QFile::setPermissions(ini, readable ? QFileDevice::ReadOwner | QFileDevice::ReadOther
                                                : QFileDevice::Permissions{}));

    const auto restore = qScopeGuard([&] {
        QFile::setPermissions(folder,
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QFile::setPermissions(ini, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    });
    const int result = asOrdinaryUser([readable] {
        const bool readOk =
            readable ? Store::Read(Store::Frappin, Store::Demarrage, Store::Prenom, QString()) == "Zoé" &&
                           Store::seriesLength() == 20
                     : Store::Read(Store::Frappin, Store::Demarrage, Store::Prenom, "-") == "-" &&
                           Store::seriesLength() == 5;
        const bool writeRefused = !Store::Write(Store::Frappin, QStringLiteral("Zoé"), Store::Note, "15");
        return (readOk ? 0 : 1) | (writeRefused ? 0 : 2);
    });
    if (result < 0)
        QSKIP("cannot take the rights of an ordinary user here");
    QCOMPARE(result, 0);
    QCOMPARE(fileContent(ini), before);
}

// With a file where the settings folder should be, nothing can be read or stored: the program starts with the
// defaults, a series runs to its end, and the file is left alone.
void TestBadInput::settingsFolderReplacedByAFile()
{
    Sandbox sandbox;
    const QString folder = TestSupport::configFolder();
    QFile blocker(folder);
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.write("pas un dossier");
    blocker.close();
    const auto removeBlocker = qScopeGuard([&] { QFile::remove(folder); });

    Program program(sandbox);
    QVERIFY(program.startMs < Budget);
    QVERIFY(!Store::Write(Store::Frappin, Store::Demarrage, Store::Derniere, QStringLiteral("Zoé")));
    QCOMPARE(program.runSeries(), 5);
    QCOMPARE(fileContent(folder), QByteArray("pas un dossier"));
}

// 100,000 characters pasted into the typing box: the box keeps what it can hold (32,767 characters), the
// check runs once and quickly, counts one mistake during a series and none after it, and the word can still
// be typed and completed.
void TestBadInput::hundredThousandCharactersPasted_data()
{
    QTest::addColumn<QString>("when");
    QTest::addColumn<bool>("wordFirst");
    QTest::addColumn<int>("mistakes");
    QTest::newRow("before the first series") << "before" << false << 1;
    QTest::newRow("during a series") << "during" << false << 1;
    QTest::newRow("during a series, after the word") << "during" << true << 1;
    QTest::newRow("after a series") << "after" << false << 0;
}

void TestBadInput::hundredThousandCharactersPasted()
{
    QFETCH(QString, when);
    QFETCH(bool, wordFirst);
    QFETCH(int, mistakes);
    Sandbox sandbox;
    Program program(sandbox);
    if (when == QLatin1String("during"))
        program.window->BoutonDepart_Click();
    else if (when == QLatin1String("after"))
        QCOMPARE(program.runSeries(), 5);
    const QString word = program.word()->text();

    const qint64 before = values().FautesMot;
    QApplication::clipboard()->setText((wordFirst ? word : QString()) + QString(100000, u'z'));
    program.typing()->clear();
    QElapsedTimer clock;
    clock.start();
    program.typing()->paste();
    QVERIFY2(clock.elapsed() < Budget, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(int(program.typing()->text().size()), program.typing()->maxLength());
    QCOMPARE(values().FautesMot - before, mistakes);
    QVERIFY(!program.window->Timer(0)->isTicking());
    if (wordFirst) {
        QCOMPARE(program.typing()->cursorPosition(), int(word.size()));
        QVERIFY(!program.typing()->hasSelectedText());
    }

    if (when == QLatin1String("during")) {
        program.typing()->setText(word);
        QVERIFY(program.window->Timer(0)->isTicking());
    }
}

// A value out of range in each key of the store: the program starts, greets, shows the photograph or not,
// runs a series of the length it can make of the value and stores the results where it can; and the value
// itself, like every other stored value, is still there afterwards: the program only reads these keys.
void TestBadInput::storeValuesOutOfRange_data()
{
    QTest::addColumn<QString>("application");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("messages"); // at start-up
    QTest::addColumn<QString>("greeting");
    QTest::addColumn<bool>("photo");
    QTest::addColumn<int>("words");             // 0: no series is run (no word list)
    QTest::addColumn<QString>("resultSection"); // empty: no results stored
    QTest::addColumn<QString>("resultNiveau");

    const QString f = Store::Frappin;
    const QString d = Store::Demarrage;
    const QString zoe = QStringLiteral("Zoé");
    const QString pupil = QStringLiteral("Zoé Martin");
    const QString nines(10000, u'9');
    const QString longText(100000, u'x');

    auto row = [](const char *name) -> QTestData & { return QTest::newRow(name); };
    row("Niveau 7") << f << d << Store::Niveau << "7" << 0 << zoe << true << 5 << pupil << "8";
    row("Niveau -1") << f << d << Store::Niveau << "-1" << 0 << zoe << true << 5 << pupil << "0";
    row("Niveau 2.5") << f << d << Store::Niveau << "2.5" << 0 << zoe << true << 5 << pupil << "3.5";
    row("Niveau not a number") << f << d << Store::Niveau << "deux" << 0 << zoe << true << 5 << pupil << "1";
    row("Niveau empty") << f << d << Store::Niveau << "" << 0 << zoe << true << 5 << pupil << "1";
    row("Niveau of 10000 digits") << f << d << Store::Niveau << nines << 0 << zoe << true << 5 << pupil
                                  << "1";
    row("Exercice 9") << f << d << Store::Exercice << "9" << 0 << zoe << true << 5 << pupil << "1";
    row("Exercice -3") << f << d << Store::Exercice << "-3" << 0 << zoe << true << 5 << pupil << "1";
    row("Exercice not a number") << f << d << Store::Exercice << "vingt" << 0 << zoe << true << 5 << pupil
                                 << "1";
    row("Exercice of 10000 digits") << f << d << Store::Exercice << nines << 0 << zoe << true << 5 << pupil
                                    << "1";
    row("Exercice 3, in range") << f << d << Store::Exercice << "3" << 0 << zoe << true << 20 << pupil << "1";
    row("Son 9") << f << d << Store::Son << "9" << 0 << zoe << true << 5 << pupil << "1";
    row("Son of 100000 characters") << f << d << Store::Son << longText << 0 << zoe << true << 5 << pupil
                                    << "1";
    row("Fichier in the parent folder")
        << f << d << Store::Fichier << "../frappin-absent-7f3a.mot" << 1 << zoe << true << 0 << ""
        << "";
    row("Fichier through a subfolder")
        << f << d << Store::Fichier << "sous/../frappin.mot" << 0 << zoe << true << 5 << pupil << "1";
    row("Fichier empty") << f << d << Store::Fichier << "" << 1 << zoe << true << 0 << ""
                         << "";
    row("Fichier a folder") << f << d << Store::Fichier << "/" << 1 << zoe << true << 0 << ""
                            << "";
    row("Fichier of 100000 characters") << f << d << Store::Fichier << longText << 1 << zoe << true << 0 << ""
                                        << "";
    row("Dernière only blanks") << f << d << Store::Derniere << "   " << 0 << zoe << true << 5 << ""
                                << "";
    row("Dernière empty") << f << d << Store::Derniere << "" << 0 << zoe << true << 5 << ""
                          << "";
    row("Dernière with a slash") << f << d << Store::Derniere << "CE1/Zoé" << 0 << zoe << true << 5
                                 << "CE1/Zoé"
                                 << "1";
    row("Dernière of 100000 characters")
        << f << d << Store::Derniere << longText << 0 << zoe << true << 5 << longText << "1";
    row("Prenom with a slash") << f << d << Store::Prenom << "Zo/é" << 0 << "Zo/é" << false << 5 << pupil
                               << "1";
    row("Prenom of 100000 characters")
        << f << d << Store::Prenom << longText << 0 << longText.left(32767) << false << 5 << pupil << "1";
    row("Nom with slashes") << f << d << Store::Nom << "../../etc/Martin" << 0 << zoe << false << 5 << pupil
                            << "1";
    row("Nom empty") << f << d << Store::Nom << "" << 0 << zoe << false << 5 << pupil << "1";
    const QString c = Store::Configuration;
    const QString s = Store::SectionFichier;
    row("Eleves names a file") << c << s << Store::Eleves << "<file>" << 0 << zoe << false << 5 << pupil
                               << "1";
    row("Eleves names a missing folder")
        << c << s << Store::Eleves << "/dossier/absent" << 0 << zoe << false << 5 << pupil << "1";
    row("Eleves of 100000 characters")
        << c << s << Store::Eleves << longText << 0 << zoe << false << 5 << pupil << "1";
    row("Eleves only blanks") << c << s << Store::Eleves << "  " << 0 << zoe << true << 5 << pupil << "1";
}

void TestBadInput::storeValuesOutOfRange()
{
    QFETCH(QString, application);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(int, messages);
    QFETCH(QString, greeting);
    QFETCH(bool, photo);
    QFETCH(int, words);
    QFETCH(QString, resultSection);
    QFETCH(QString, resultNiveau);
    Sandbox sandbox;
    QVERIFY(QDir(sandbox.folder()).mkdir(QStringLiteral("sous")));
    QImage picture(40, 50, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    QVERIFY(picture.save(sandbox.path(QStringLiteral("Martin-Zoé.bmp")), "BMP"));
    if (value == QLatin1String("<file>")) {
        sandbox.writeFile(QStringLiteral("photos.txt"), "pas un dossier");
        value = sandbox.path(QStringLiteral("photos.txt"));
    }

    const QString defaults[] = {"0", "0", "0", "frappin.mot", "Zoé Martin", "Zoé", "Martin", ""};
    for (int i = 0; i < everyKey().size(); ++i) {
        const StoredKey &k = everyKey()[i];
        const bool isTheKey = k.application == application && k.section == section && k.key == key;
        QVERIFY(Store::Write(k.application, k.section, k.key, isTheKey ? value : defaults[i]));
    }
    const QStringList stored = snapshot();

    Program program(sandbox);
    QVERIFY2(program.startMs < Budget, qPrintable(QString::number(program.startMs)));
    QCOMPARE(sandbox.messages.size(), messages);
    QCOMPARE(program.typing()->text(), greeting);
    QCOMPARE(program.photo()->hasPicture(), photo);
    if (words > 0)
        QCOMPARE(program.runSeries(), words);

    const QStringList sections = Store::Sections(Store::Frappin);
    if (resultSection.isEmpty()) {
        QCOMPARE(sections, QStringList{Store::Demarrage});
    } else {
        QCOMPARE(Store::Read(Store::Frappin, resultSection, Store::Niveau, QString()), resultNiveau);
        QVERIFY(!Store::Read(Store::Frappin, resultSection, Store::Note, QString()).isEmpty());
    }
    QCOMPARE(snapshot(), stored);
}

FRAPPIN_TEST_MAIN(TestBadInput)
#include "tst_badinput.moc"
