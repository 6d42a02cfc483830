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

QString iniPath()
{
    return TestSupport::configFolder() + QStringLiteral("/Frappin.ini");
}

} // namespace

class TestStore : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void valuesRoundTrip_data()
    {
        QTest::addColumn<QString>("application");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        const QString f = Frappin, d = Demarrage, c = Store::Configuration;
        // clang-format off
        QTest::newRow("value with commas")   << f << d                     << Store::Prenom << "a, b,c";
        QTest::newRow("value with ;")        << f << d                     << Store::Prenom << "Léa ; CE1";
        QTest::newRow("value with quotes")   << f << d                     << Store::Nom    << "d'\"Arc\"";
        QTest::newRow("empty value")         << f << d                     << Store::Prenom << "";
        QTest::newRow("section General")     << f << "General"             << Store::Note   << "12";
        QTest::newRow("section with slash")  << f << "CE1/Léa"             << Store::Note   << "-5";
        QTest::newRow("INI syntax in value") << f << d                     << Store::Nom    << " a;b = [c] \\d\n@e ";
        QTest::newRow("control characters") << f << d                     << Store::Nom    << QString::fromLatin1("\a\x01" "a\tb\0\x7f" "F", 8);
        QTest::newRow("INI syntax in names") << f << "[%x=y] ; #"          << "=k%20/é"     << "@";
        QTest::newRow("other application")   << c << Store::SectionFichier << Store::Eleves << "/école/photos";
        // clang-format on
    }
    // An absent key reads as the default, a written one as its last value, in its own application only.
    void valuesRoundTrip()
    {
        QFETCH(QString, application);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        Sandbox sandbox;
        QCOMPARE(Store::read(application, section, key, "défaut"), QStringLiteral("défaut"));
        QVERIFY(Store::write(application, section, key, "avant") &&
                Store::write(application, section, key, value));
        QCOMPARE(Store::read(application, section, key, "défaut"), value);
        const QString other = application == Frappin ? Store::Configuration : Frappin;
        QCOMPARE(Store::read(other, section, key, "défaut"), QStringLiteral("défaut"));
    }

    // Results go, under their French names, to the section "Dernière" names (trimmed), or nowhere when it
    // names none, in plain UTF-8 INI. A write the file cannot take changes nothing, then or later.
    void resultsAreWrittenAsPlainIni()
    {
        Sandbox sandbox;
        QCOMPARE(Store::derniere("<absent>"), QStringLiteral("<absent>"));
        QVERIFY(Store::writePupilResult(Store::Note, "12") && Store::sections(Frappin).isEmpty());
        QVERIFY(Store::write(Frappin, Demarrage, Store::Derniere, "   "));
        QVERIFY(Store::writePupilResult(Store::Note, "12") &&
                Store::sections(Frappin) == QStringList{Demarrage});
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
        // A failed write leaves nothing behind: not read later, not written at the next access.
        QCOMPARE(readSetting(Store::Niveau) + fileBytes(iniPath()), "<absent>" + before);
    }

    void fileThatMayNotBeWritten_data()
    {
        QTest::addColumn<bool>("readable");
        QTest::newRow("no permission at all") << false;
        QTest::newRow("read-only file and folder") << true;
    }
    // A settings file an ordinary user may not read reads as the defaults, one that is read-only as it is; a
    // write fails, says so, and leaves the file as it was. Root may write anything: this runs as "nobody".
    void fileThatMayNotBeWritten()
    {
        QFETCH(bool, readable);
        Sandbox sandbox;
        QVERIFY(Store::write(Frappin, Demarrage, Store::Prenom, "Zoé") &&
                Store::write(Frappin, Demarrage, Store::Exercice, "3"));
        const QByteArray before = fileBytes(iniPath());
        // Qt keeps what it read of a file until its time changes: the ordinary user must read it afresh.
        QFile ini(iniPath());
        QVERIFY(ini.open(QIODevice::ReadWrite) &&
                ini.setFileTime(QDateTime::currentDateTime().addDays(-1), QFile::FileModificationTime));
        const QByteArray folder = QFile::encodeName(TestSupport::configFolder());
        QVERIFY(chmod(folder + "/..", 0755) == 0 && chmod(folder, 0555) == 0 &&
                ini.setPermissions(readable ? QFile::ReadOther : QFile::Permissions{}));
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
        // clang-format off
        QTest::newRow("right code")            << lea                 << "Léa 2024"        << Set << true;
        QTest::newRow("wrong code")            << lea                 << "Léa 2025"        << Set << false;
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

FRAPPIN_TEST_MAIN(TestStore)
#include "tst_store.moc"
