// The settings store: defaults, round trips with the French names of sections and keys, the typed readings
// of the teacher's settings, and the files that hold them; tst_badinput runs the program on bad ones.

#include "settings/store.h"
#include "support/sandbox.h"

#include <QDir>
#include <QFile>
#include <QTest>

class TestStore : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void valuesRoundTripInEachApplication_data()
    {
        QTest::addColumn<QString>("application");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        const QString f = Store::Frappin;
        const QString d = Store::Demarrage;
        const QString c = Store::Configuration;
        // clang-format off
        QTest::newRow("value with commas")  << f << d                     << Store::Prenom << "a, b,c";
        QTest::newRow("value with quotes")  << f << d                     << Store::Nom    << "d'\"Arc\"";
        QTest::newRow("section General")    << f << "General"             << Store::Note   << "12";
        QTest::newRow("section with slash") << f << "CE1/Léa"             << Store::Note   << "-5";
        QTest::newRow("empty value")        << f << d                     << Store::Prenom << "";
        QTest::newRow("INI syntax in value") << f << d                    << Store::Nom    << " a;b = [c] \\d\n@e ";
        QTest::newRow("INI syntax in names") << f << "[%x=y] ; #"         << "=k%20/é"     << "@";
        QTest::newRow("other application")  << c << Store::SectionFichier << Store::Eleves << "/école/photos";
        // clang-format on
    }
    // An absent key reads as the default, a written one as its last value, in its own application only.
    void valuesRoundTripInEachApplication()
    {
        QFETCH(QString, application);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        Sandbox sandbox;
        QCOMPARE(Store::Read(application, section, key, "défaut"), QStringLiteral("défaut"));
        QVERIFY(Store::Write(application, section, key, "avant"));
        QVERIFY(Store::Write(application, section, key, value));
        QCOMPARE(Store::Read(application, section, key, "défaut"), value);
        const QString other = application == Store::Frappin ? Store::Configuration : Store::Frappin;
        QCOMPARE(Store::Read(other, section, key, "défaut"), QStringLiteral("défaut"));
    }

    void filesAreReadInEveryForm_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("read"); // "Dernière" of "Démarrage", then the pupil's "Durée"
        // clang-format off
        QTest::newRow("Qt's escaped form")
            << QByteArray("[D%E9marrage]\nDerni%E8re=CE1 L\xC3\xA9\x61\n[CE1%20L%E9\x61]\nDur%E9\x65=\"0,5\"\n")
            << "CE1 Léa|0,5";
        QTest::newRow("plain UTF-8, decomposed")
            << QString("[Démarrage]\nDernière = Le\u0301a\n\n[Léa]\nDurée=1\n").toUtf8() << "Léa|1";
        QTest::newRow("Windows-1252 by hand, CR line ends")
            << QByteArray("[D\xE9marrage]\rDerni\xE8re=L\xE9\x61\r[L\xE9\x61]\rDur\xE9\x65=2 ; note\r") << "Léa|2";
        // clang-format on
    }
    // Files written by an older version, by hand or by another tool are read alike.
    void filesAreReadInEveryForm()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, read);
        Sandbox sandbox;
        QVERIFY(QDir().mkpath(TestSupport::configFolder()));
        QFile ini(TestSupport::configFolder() + "/Frappin.ini");
        QVERIFY(ini.open(QIODevice::WriteOnly) && ini.write(file) == file.size());
        ini.close();
        const QString pupil = readSetting(Store::Derniere);
        QCOMPARE(pupil + u'|' + readSetting(Store::Duree, pupil), read);
    }

    // What is written is plain UTF-8 INI that any reader understands, one section per header.
    void writtenFileIsPlainIni()
    {
        Sandbox sandbox;
        QVERIFY(Store::Write(Store::Frappin, Store::Demarrage, Store::Derniere, "CE1 Léa"));
        QVERIFY(Store::Write(Store::Frappin, "CE1 Léa", Store::NombreCaracteres, "20"));
        QVERIFY(Store::Write(Store::Frappin, "CE1 Léa", Store::Duree, "0,000165"));
        QCOMPARE(
            fileBytes(TestSupport::configFolder() + "/Frappin.ini"),
            QString("[CE1 Léa]\nDurée=0,000165\nNombre de caractères=20\n\n[Démarrage]\nDernière=CE1 Léa\n")
                .toUtf8());
    }

    void teachersSettingsAreReadAsNumbers_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("stored"); // null: absent
        QTest::addColumn<QString>("read");   // words in a series, or the guide level
        const QString e = Store::Exercice;
        const QString n = Store::Niveau;
        // clang-format off
        QTest::newRow("Exercice absent")     << e << QString() << "5";
        QTest::newRow("Exercice 1")          << e << "1"       << "10";
        QTest::newRow("blanks around")       << e << " 3 "     << "20";
        QTest::newRow("Exercice empty")      << e << ""        << "5";
        QTest::newRow("fraction")            << e << "1.5"     << "5";
        QTest::newRow("whole as fraction")   << e << "2.0"     << "15";
        QTest::newRow("above the list")      << e << "4"       << "5";
        QTest::newRow("huge")                << e << "1e300"   << "5";
        QTest::newRow("infinite")            << e << "inf"     << "5";
        QTest::newRow("Niveau absent")       << n << QString() << "0";
        QTest::newRow("Niveau 2")            << n << "2"       << "2";
        QTest::newRow("Niveau not a number") << n << "deux"    << "0";
        // clang-format on
    }
    // "Exercice" counts only as a whole number from 0 to 3, "Niveau" only as a number; else as 0.
    void teachersSettingsAreReadAsNumbers()
    {
        QFETCH(QString, key);
        QFETCH(QString, stored);
        QFETCH(QString, read);
        Sandbox sandbox;
        if (!stored.isNull())
            QVERIFY(Store::Write(Store::Frappin, Store::Demarrage, key, stored));
        QCOMPARE(key == Store::Exercice ? QString::number(Store::seriesLength()) : Store::niveauSetting(),
                 read);
    }

    // The store is an INI file per application, read afresh at each reading as another program writes it.
    void storeIsTheIniFilesOfTheConfigurationFolder()
    {
        Sandbox sandbox;
        const QString folder = TestSupport::configFolder();
        QVERIFY(QDir().mkpath(folder));
        const auto put = [&](const char *name, const QByteArray &bytes) {
            QFile file(folder + name);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        };
        QCOMPARE(readSetting(Store::Prenom), QStringLiteral("<absent>"));
        put("/Frappin.ini", "[Démarrage]\nPrenom=Zoé\n");
        put("/Configuration.ini", "[Fichier]\nEleves=/photos\n");
        QCOMPARE(readSetting(Store::Prenom), QStringLiteral("Zoé"));
        QCOMPARE(Store::Read(Store::Configuration, Store::SectionFichier, Store::Eleves, ""), "/photos");
        QVERIFY(Store::Write(Store::Frappin, Store::Demarrage, Store::Niveau, "2"));
        const QByteArray written = fileBytes(folder + "/Frappin.ini");
        QVERIFY2(written.contains("Niveau=2") && written.contains("Prenom="), written.constData());

        // Garbage reads as the defaults; a folder in the file's place cannot be written, the other file can.
        QByteArray garbage;
        for (int i = 0; i < 4096; ++i)
            garbage.append(static_cast<char>((i * 7919) % 256));
        put("/Frappin.ini", garbage);
        QCOMPARE(Store::seriesLength(), 5);
        QCOMPARE(readSetting(Store::Prenom), QStringLiteral("<absent>"));
        QVERIFY(QFile::remove(folder + "/Frappin.ini") && QDir(folder).mkdir("Frappin.ini"));
        QVERIFY(!Store::Write(Store::Frappin, Store::Demarrage, Store::Niveau, "2"));
        QVERIFY(Store::Write(Store::Configuration, Store::SectionFichier, Store::Eleves, "/autres"));
    }
};

FRAPPIN_TEST_MAIN(TestStore)
#include "tst_store.moc"
