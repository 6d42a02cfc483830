// The settings store: defaults, round trips with the French names of sections and keys, the typed readings
// of the teacher's settings, and a store that is garbage or cannot be written.

#include "settings/store.h"
#include "support/sandbox.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTest>

class TestStore : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void absentKeysGiveTheDefault();
    void valuesRoundTripInEachApplication_data();
    void valuesRoundTripInEachApplication();
    void storeIsAnIniFileOfTheConfigurationFolder();
    void writesReplaceValues();
    void seriesLengthFollowsExercice_data();
    void seriesLengthFollowsExercice();
    void niveauThatIsNotANumberReadsAsZero_data();
    void niveauThatIsNotANumberReadsAsZero();
    void garbageStoreReadsAsDefaults();
    void unwritableStoreReportsFailure();
    void valueWrittenByAnotherProgramIsSeenAtOnce();
};

void TestStore::absentKeysGiveTheDefault()
{
    Sandbox sandbox;
    QCOMPARE(Store::Read(Store::Frappin, Store::Demarrage, Store::Fichier, Store::DefaultWordList),
             QStringLiteral("frappin.mot"));
    QCOMPARE(Store::Read(Store::Frappin, Store::Demarrage, Store::Derniere, "<inconnue>"),
             QStringLiteral("<inconnue>"));
    QCOMPARE(Store::Read(Store::Configuration, Store::SectionFichier, Store::Eleves, "/x"),
             QStringLiteral("/x"));
    QCOMPARE(Store::seriesLength(), 5);
    QCOMPARE(Store::niveauSetting(), QStringLiteral("0"));
    QCOMPARE(Store::ReadNumber(Store::Frappin, Store::Demarrage, Store::Son, 0), 0.0);
}

void TestStore::valuesRoundTripInEachApplication_data()
{
    QTest::addColumn<QString>("application");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::newRow("accented section")
        << Store::Frappin << Store::Demarrage << Store::Derniere << "Léa Martin";
    QTest::newRow("key with blanks") << Store::Frappin << "Léa" << Store::NombreCaracteres << "20";
    QTest::newRow("accented key") << Store::Frappin << "Léa" << Store::Duree << "0,00347";
    QTest::newRow("value with commas") << Store::Frappin << Store::Demarrage << Store::Prenom << "a, b,c";
    QTest::newRow("value with quotes") << Store::Frappin << Store::Demarrage << Store::Nom << "d'\"Arc\"";
    QTest::newRow("other application")
        << Store::Configuration << Store::SectionFichier << Store::Eleves << "/home/école/photos";
    QTest::newRow("section General") << Store::Frappin << "General" << Store::Note << "12";
    QTest::newRow("section with slash") << Store::Frappin << "CE1/Léa" << Store::Note << "-5";
    QTest::newRow("empty value") << Store::Frappin << Store::Demarrage << Store::Prenom << "";
}

void TestStore::valuesRoundTripInEachApplication()
{
    QFETCH(QString, application);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    Sandbox sandbox;
    QVERIFY(Store::Write(application, section, key, value));
    QCOMPARE(Store::Read(application, section, key, "défaut"), value);
    // The same key of the other application is untouched.
    const QString other = application == Store::Frappin ? Store::Configuration : Store::Frappin;
    QCOMPARE(Store::Read(other, section, key, "défaut"), QStringLiteral("défaut"));
}

void TestStore::storeIsAnIniFileOfTheConfigurationFolder()
{
    Sandbox sandbox;
    QVERIFY(Store::Write(Store::Frappin, Store::Demarrage, Store::Niveau, "2"));
    QVERIFY(Store::Write(Store::Configuration, Store::SectionFichier, Store::Eleves, "/photos"));
    QFile frappin(TestSupport::configFolder() + "/Frappin.ini");
    QVERIFY(frappin.open(QIODevice::ReadOnly));
    const QByteArray content = frappin.readAll();
    QVERIFY2(content.contains("Niveau=2"), content.constData());
    QVERIFY(QFile::exists(TestSupport::configFolder() + "/Configuration.ini"));
}

void TestStore::writesReplaceValues()
{
    Sandbox sandbox;
    QVERIFY(Store::Write(Store::Frappin, "Léa", Store::Note, "12"));
    QVERIFY(Store::Write(Store::Frappin, "Léa", Store::Note, "19"));
    QCOMPARE(Store::Read(Store::Frappin, "Léa", Store::Note, ""), QStringLiteral("19"));
}

void TestStore::seriesLengthFollowsExercice_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("words");
    QTest::newRow("0") << "0" << 5;
    QTest::newRow("1") << "1" << 10;
    QTest::newRow("2") << "2" << 15;
    QTest::newRow("3") << "3" << 20;
    QTest::newRow("blanks around") << " 3 " << 20;
    QTest::newRow("not a number") << "vingt" << 5;
    QTest::newRow("empty") << "" << 5;
    QTest::newRow("fraction") << "1.5" << 5;
    QTest::newRow("whole written as fraction") << "2.0" << 15;
    QTest::newRow("above the list") << "4" << 5;
    QTest::newRow("negative") << "-1" << 5;
    QTest::newRow("huge") << "1e300" << 5;
    QTest::newRow("infinite") << "inf" << 5;
}

void TestStore::seriesLengthFollowsExercice()
{
    QFETCH(QString, stored);
    QFETCH(int, words);
    Sandbox sandbox;
    QVERIFY(Store::Write(Store::Frappin, Store::Demarrage, Store::Exercice, stored));
    QCOMPARE(Store::seriesLength(), words);
}

void TestStore::niveauThatIsNotANumberReadsAsZero_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("niveau");
    QTest::newRow("level 1") << "1"
                             << "1";
    QTest::newRow("level 3") << "2"
                             << "2";
    QTest::newRow("out of range kept") << "7"
                                       << "7";
    QTest::newRow("letters") << "deux"
                             << "0";
    QTest::newRow("empty") << ""
                           << "0";
}

void TestStore::niveauThatIsNotANumberReadsAsZero()
{
    QFETCH(QString, stored);
    QFETCH(QString, niveau);
    Sandbox sandbox;
    QVERIFY(Store::Write(Store::Frappin, Store::Demarrage, Store::Niveau, stored));
    QCOMPARE(Store::niveauSetting(), niveau);
}

void TestStore::garbageStoreReadsAsDefaults()
{
    Sandbox sandbox;
    QVERIFY(QDir().mkpath(TestSupport::configFolder()));
    QFile file(TestSupport::configFolder() + "/Frappin.ini");
    QVERIFY(file.open(QIODevice::WriteOnly));
    QByteArray garbage;
    for (int i = 0; i < 4096; ++i)
        garbage.append(static_cast<char>((i * 7919) % 256));
    file.write(garbage);
    file.close();

    QCOMPARE(Store::seriesLength(), 5);
    QCOMPARE(Store::niveauSetting(), QStringLiteral("0"));
    QCOMPARE(Store::Read(Store::Frappin, Store::Demarrage, Store::Prenom, ""), QString());
}

void TestStore::unwritableStoreReportsFailure()
{
    Sandbox sandbox;
    // A folder where the store's file should be cannot be written or read.
    QVERIFY(QDir().mkpath(TestSupport::configFolder() + "/Frappin.ini"));
    QVERIFY(!Store::Write(Store::Frappin, Store::Demarrage, Store::Niveau, "2"));
    // The other application's file is not affected.
    QVERIFY(Store::Write(Store::Configuration, Store::SectionFichier, Store::Eleves, "/photos"));
}

void TestStore::valueWrittenByAnotherProgramIsSeenAtOnce()
{
    Sandbox sandbox;
    QCOMPARE(Store::Read(Store::Frappin, Store::Demarrage, Store::Prenom, ""), QString());
    QVERIFY(QDir().mkpath(TestSupport::configFolder()));
    QFile file(TestSupport::configFolder() + "/Frappin.ini");
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QStringLiteral("[Démarrage]\nPrenom=Zoé\n").toUtf8());
    file.close();
    QCOMPARE(Store::Read(Store::Frappin, Store::Demarrage, Store::Prenom, ""), QStringLiteral("Zoé"));
}

FRAPPIN_TEST_MAIN(TestStore)
#include "tst_store.moc"
