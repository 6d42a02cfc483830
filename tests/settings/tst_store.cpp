// The settings store: round trips, the pupil's results and the teacher's code. tst_badinput starts the
// program on settings files of every form and on bad values.

#include "settings/teachercode.h"
#include "support/sandbox.h"

#include <QDir>
#include <QScopeGuard>
#include <QTest>

#include <sys/stat.h>

namespace {

const QString Frappin = Store::Frappin, Demarrage = Store::Demarrage;

QString iniPath(const QString &application = Store::Frappin)
{
    return Store::filePath(application);
}

// A value as another program reads it: from the bytes of a copy of the file, never from what this one knows.
QString readAfresh(const QString &application, const QString &section, const QString &key)
{
    QFile::remove(iniPath("Copie"));
    return QFile::copy(iniPath(application), iniPath("Copie"))
               ? Store::read("Copie", section, key, "<absent>")
               : "<no file>";
}

// Writes the settings file as another program would, its time put back when given.
void writeFile(const QByteArray &bytes, const QDateTime &time = {})
{
    QFile ini(iniPath());
    QVERIFY(ini.open(QIODevice::WriteOnly | QIODevice::Truncate) && ini.write(bytes) == bytes.size() &&
            (!time.isValid() || ini.setFileTime(time, QFile::FileModificationTime)));
}

} // namespace

class TestStore : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Results go, under their French names, to the section "Dernière" names (trimmed), or nowhere when it
    // names none or the teacher's section (written composed or not), in plain UTF-8 INI. A write the file
    // cannot take changes nothing, then or later.
    void resultsAreWrittenAsPlainIni()
    {
        Sandbox sandbox;
        QCOMPARE(Store::derniere("<absent>"), QStringLiteral("<absent>"));
        QVERIFY(Store::writePupilResult(Store::Note, "12") && Store::sections(Frappin).isEmpty());
        QVERIFY(Store::write(Frappin, Demarrage, Store::Derniere, "   "));
        QVERIFY(Store::writePupilResult(Store::Note, "12") &&
                Store::sections(Frappin) == QStringList{Demarrage});
        QVERIFY(Store::write(Frappin, Demarrage, Store::Derniere, "De\u0301marrage"));
        QVERIFY(Store::writePupilResult(Store::Note, "12") && readSetting(Store::Note) == "<absent>");
        QVERIFY(Store::write(Frappin, Demarrage, Store::Derniere, " CE1 Léa "));
        QVERIFY(Store::writePupilResult(Store::NombreCaracteres, "20") &&
                Store::writePupilResult(Store::Duree, "0,5"));
        const QByteArray written = fileBytes(iniPath());
        QCOMPARE(
            written,
            QString("[CE1 Léa]\nDurée=0,5\nNombre de caractères=20\n\n[Démarrage]\nDernière=\" CE1 Léa \"\n")
                .toUtf8());

        const QByteArray before = fileBytes(iniPath());
        QVERIFY(QFile::rename(iniPath(), iniPath() + ".old") && QDir().mkdir(iniPath()));
        QVERIFY(!Store::write(Frappin, Demarrage, Store::Niveau, "2"));
        QVERIFY(Store::write(Store::Configuration, Store::SectionFichier, Store::Eleves, "/photos"));
        QVERIFY(QDir().rmdir(iniPath()) && QFile::rename(iniPath() + ".old", iniPath()));
        // A failed write leaves nothing behind: not read later, not written at the next access. Each
        // application has its own file.
        QCOMPARE(readSetting(Store::Niveau) + readSetting(Store::Eleves, Store::SectionFichier) +
                     fileBytes(iniPath()),
                 "<absent><absent>" + before);
        QCOMPARE(readAfresh(Store::Configuration, Store::SectionFichier, Store::Eleves),
                 QStringLiteral("/photos"));
        QVERIFY(Store::remove(Frappin, Demarrage, Store::Niveau) && fileBytes(iniPath()) == before);
    }

    void writeKeepsEveryOtherValue_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QStringList>("writes"); // "section|key|value|key|value...", each in one write
        QTest::addColumn<QString>("after");
        const QByteArray two = "[A]\nb=1\nd=2\n\n[C]\nx=1\n";
        // clang-format off
        // In the whole file's order: "A-z/k" comes before "A/b".
        QTest::newRow("sections in order") << two << QStringList{"B|k|1", "0|k|2", "D|k|3", "A-z|k|4"}
            << "[0]\nk=2\n\n[A-z]\nk=4\n\n[A]\nb=1\nd=2\n\n[B]\nk=1\n\n[C]\nx=1\n\n[D]\nk=3\n";
        // New keys among the others in order, a value replaced, a new section.
        QTest::newRow("several keys") << two << QStringList{"A|c|3|a|0|e|5|d|4", "B|z|1|y|2"}
            << "[A]\na=0\nb=1\nc=3\nd=4\ne=5\n\n[B]\ny=2\nz=1\n\n[C]\nx=1\n";
        QTest::newRow("same size as before") << QByteArray("[A]\nb=9\n") << QStringList{"A|c|1"} << "[A]\nb=9\nc=1\n";
        QTest::newRow("escaped names read, written plain; a section with a slash") << QByteArray("; classe\n[D%E9marrage]\nPrenom=Zo\xC3\xA9 ; note\n[Chlo%U00E9]\nk=1\n[CE1/L\xC3\xA9""a]\nNote=5\n")
            << QStringList{"Démarrage|Nom|Martin", "CE1/Léa|Note|6"} << "[CE1]\nLéa\\Note=6\n\n[Chloé]\nk=1\n\n[Démarrage]\nNom=Martin\nPrenom=Zoé\n";
        QTest::newRow("Qt's typed values read; repeated key and section: the last value") << QByteArray("[A]\nj=1\nk=@String(x)\nm=@@y\n[B]\nx=1\n[A]\nj=2\nj=3\n")
            << QStringList{"A|n|1"} << "[A]\nj=3\nk=x\nm=\"@y\"\nn=1\n\n[B]\nx=1\n";
        QTest::newRow("values: commas, quotes, empty, INI syntax, control characters") << QByteArray()
            << QStringList{"Démarrage|Prenom|a, b,c", "Démarrage|Nom|d'\"Arc\"|Son|", "D|k| a;b = [c] \\d\n@e |m|" + QString::fromLatin1("\a\x01" "a\tb\0\x7f" "F", 8)}
            << "[D]\nk=\" a;b = [c] \\\\d\\n@e \"\nm=\"\\a\\x0001a\\tb\\0\\x007fF\"\n\n[Démarrage]\nNom=\"d'\\\"Arc\\\"\"\nPrenom=a, b,c\nSon=\n";
        QTest::newRow("INI syntax in names") << QByteArray() << QStringList{"[%x=y] ; #|=k%20/é|@"}
            << "[%5B%25x%3Dy%5D ; #]\n%3Dk%2520\\é=\"@\"\n";
        QTest::newRow("keys of no section beside \"General\"") << QByteArray("[General]\nGeneral0=2\n[%General]\nk=1\n")
            << QStringList{"A|m|1"} << "[A]\nm=1\n\n[%General]\nk=1\n\n[General]\nGeneral0=2\n";
        QTest::newRow("Windows-1252, CR LF, no last line end: written anew") << QByteArray("[B]\r\nk=\xE9\r\n[A]\r\nk=1")
            << QStringList{"A|m|2"} << "[A]\nk=1\nm=2\n\n[B]\nk=é\n";
        // clang-format on
    }
    // A write, after another program rewrote the file (its time put back), keeps every other value as it
    // read, and writes the file anew in plain UTF-8, in the writer's order.
    void writeKeepsEveryOtherValue()
    {
        QFETCH(QByteArray, before);
        QFETCH(QStringList, writes);
        QFETCH(QString, after);
        Sandbox sandbox;
        QVERIFY(Store::write(Frappin, "A", "b", "0"));
        writeFile(before, QFileInfo(iniPath()).lastModified());
        for (const QString &write : writes) {
            const QStringList fields = write.split(u'|');
            QList<std::pair<QString, QString>> values;
            for (qsizetype i = 1; i + 1 < fields.size(); i += 2)
                values.append({fields[i], fields[i + 1]});
            QVERIFY(Store::write(Frappin, fields[0], values));
            for (const auto &[key, value] : values)
                QCOMPARE(readAfresh(Frappin, fields[0], key), value);
        }
        QCOMPARE(fileBytes(iniPath()), after.toUtf8());
    }

    void fileThatMayNotBeWritten_data()
    {
        QTest::addColumn<int>("fileMode");
        QTest::newRow("write-only") << 0222;
        QTest::newRow("read-only") << 0444;
    }
    // A settings file an ordinary user may not read reads as the defaults, one that is read-only as it is; a
    // write fails, says so, and leaves the file as it was, although the folder would take a new file (which
    // would hold only the values written). Root may write anything: this runs as "nobody".
    void fileThatMayNotBeWritten()
    {
        QFETCH(int, fileMode);
        const bool readable = fileMode & 0004;
        Sandbox sandbox;
        QVERIFY(Store::write(Frappin, Demarrage, Store::Prenom, "Zoé") &&
                Store::write(Frappin, Demarrage, Store::Exercice, "3"));
        const QByteArray before = fileBytes(iniPath());
        const QByteArray folder = QFile::encodeName(TestSupport::configFolder());
        QVERIFY(chmod(folder + "/..", 0755) == 0 && chmod(folder, 0777) == 0 &&
                chmod(QFile::encodeName(iniPath()), mode_t(fileMode)) == 0);
        const auto restore = qScopeGuard([&] { chmod(folder, 0755); });
        QCOMPARE(asOrdinaryUser([readable] {
                     const bool read = Store::prenom() == (readable ? "Zoé" : "") &&
                                       Store::seriesLength() == (readable ? 20 : 5);
                     return read && !Store::write(Frappin, "Zoé", Store::Note, "15") ? 0 : 1;
                 }),
                 0);
        QCOMPARE(fileBytes(iniPath()), before);
    }

    void teacherCodeMatchesOnlyItsHash_data()
    {
        using enum TeacherCode::State;
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<TeacherCode::State>("state");
        QTest::addColumn<bool>("matches");
        const QString lea = TeacherCode::hashed("Léa 2024", "sel", 1000);
        QString firstByteOff = lea; // the first Base64 digit of the key: its first byte alone changes
        firstByteOff[lea.lastIndexOf(u'$') + 1] = lea[lea.lastIndexOf(u'$') + 1] == u'A' ? u'B' : u'A';
        // clang-format off
        QTest::newRow("right code")            << lea                 << "Léa 2024"        << Set << true;
        QTest::newRow("made by Python")        << "pbkdf2-sha256$1000$c2Vs$zHGe/Je9agTL9Z1cV0oeUels0/ocdlMUv4kTpXpxZD8=" << "Léa 2024" << Set << true;
        QTest::newRow("wrong code")            << lea                 << "Léa 2025"        << Set << false;
        QTest::newRow("key's first byte off")  << firstByteOff        << "Léa 2024"        << Set << false;
        QTest::newRow("é typed as e + accent") << lea                 << "Le\u0301a 2024"  << Set << true;
        QTest::newRow("no code")               << " "                 << ""                << None << false;
        QTest::newRow("code put in clear")     << "Léa 2024"          << "Léa 2024"        << Damaged << false;
        QTest::newRow("cut short")             << lea.chopped(8)      << "Léa 2024"        << Damaged << false;
        QTest::newRow("count that would hang") << QString(lea).replace("$1000$", "$2000000000$") << "Léa 2024"
                                                                                          << Damaged << false;
        // clang-format on
    }
    // A code matches its own hash alone; a stored value that cannot be read is a code that nothing matches.
    void teacherCodeMatchesOnlyItsHash()
    {
        QFETCH(QString, stored);
        QFETCH(QString, typed);
        QFETCH(TeacherCode::State, state);
        QFETCH(bool, matches);
        QCOMPARE(TeacherCode::stateOf(stored), state);
        QCOMPARE(TeacherCode::matchesStored(typed, stored), matches);
    }
};

FRAPPIN_GUILESS_TEST_MAIN(TestStore)
#include "tst_store.moc"
