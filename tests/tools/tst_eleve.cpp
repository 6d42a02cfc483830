// The companion command: naming the pupil writes only the identity keys, bad arguments are refused with a
// French message and a non-zero status, and results print for one pupil or for all as CSV.

#include "eleve/eleve.h"
#include "settings/store.h"
#include "support/sandbox.h"

#include <QApplication>
#include <QDir>
#include <QTest>

namespace {

struct Run {
    int status = -1;
    QString out;
    QString err;
};

Run eleve(const QStringList &arguments)
{
    Run run;
    QTextStream out(&run.out);
    QTextStream err(&run.err);
    run.status = runEleve(arguments, out, err);
    out.flush();
    err.flush();
    return run;
}

QString read(const QString &key)
{
    return Store::Read(Store::Frappin, Store::Demarrage, key, "<absent>");
}

} // namespace

class TestEleve : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void badArgumentsAreRefused_data();
    void badArgumentsAreRefused();
    void definingAPupilWritesOnlyTheIdentity();
    void resultsOfOnePupil();
    void csvListsEveryPupilWithResults();
    void helpIsInFrench();
};

void TestEleve::badArgumentsAreRefused_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("nothing") << QStringList{} << "definir, resultats ou csv";
    QTest::newRow("unknown command") << QStringList{"effacer"} << "commande inconnue";
    QTest::newRow("no family name") << QStringList{"definir", "--prenom", "Léa"} << "obligatoires";
    QTest::newRow("blank first name")
        << QStringList{"definir", "--prenom", "  ", "--nom", "Martin"} << "obligatoires";
    QTest::newRow("unknown option") << QStringList{"definir", "--prenom", "Léa", "--nom", "M", "--age", "7"}
                                    << "option inconnue";
    QTest::newRow("option without value") << QStringList{"definir", "--prenom"} << "il manque une valeur";
    QTest::newRow("teacher's section as pupil")
        << QStringList{"definir", "--prenom", "A", "--nom", "B", "--eleve", "Démarrage"}
        << "ne peut pas être";
    QTest::newRow("slash in pupil name")
        << QStringList{"definir", "--prenom", "A", "--nom", "B", "--eleve", "a/b"} << "ne peut pas être";
    QTest::newRow("missing photo folder")
        << QStringList{"definir", "--prenom", "A", "--nom", "B", "--photos", "/nulle/part"} << "n'existe pas";
    QTest::newRow("no current pupil") << QStringList{"resultats"} << "aucun élève en cours";
    QTest::newRow("csv with argument") << QStringList{"csv", "x"} << "argument en trop";
}

void TestEleve::badArgumentsAreRefused()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    Sandbox sandbox;
    const Run run = eleve(arguments);
    QCOMPARE(run.status, 2);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QVERIFY(run.err.contains("frappin-eleve --help"));
    QCOMPARE(read(Store::Prenom), QStringLiteral("<absent>"));
    QCOMPARE(read(Store::Derniere), QStringLiteral("<absent>"));
}

void TestEleve::definingAPupilWritesOnlyTheIdentity()
{
    Sandbox sandbox;
    Store::Write(Store::Frappin, Store::Demarrage, Store::Niveau, "2");
    Store::Write(Store::Frappin, Store::Demarrage, Store::Fichier, "ce1.mot");
    Run run = eleve({"definir", "--prenom", " Léa ", "--nom", "Martin", "--photos", sandbox.folder()});
    QCOMPARE(run.status, 0);
    QCOMPARE(read(Store::Prenom), QStringLiteral("Léa"));
    QCOMPARE(read(Store::Nom), QStringLiteral("Martin"));
    QCOMPARE(read(Store::Derniere), QStringLiteral("Léa Martin"));
    QCOMPARE(Store::Read(Store::Configuration, Store::SectionFichier, Store::Eleves, ""), sandbox.folder());
    QVERIFY2(run.out.contains(QDir(sandbox.folder()).filePath("Martin-Léa.bmp")), qPrintable(run.out));
    QCOMPARE(read(Store::Niveau), QStringLiteral("2"));
    QCOMPARE(read(Store::Fichier), QStringLiteral("ce1.mot"));
    QCOMPARE(read(Store::Exercice), QStringLiteral("<absent>"));

    run = eleve({"definir", "--prenom=Tom", "--nom=Roux", "--eleve=CE1 Tom"});
    QCOMPARE(run.status, 0);
    QCOMPARE(read(Store::Derniere), QStringLiteral("CE1 Tom"));
    // Without --photos the pictures folder is left as it was.
    QCOMPARE(Store::Read(Store::Configuration, Store::SectionFichier, Store::Eleves, ""), sandbox.folder());
}

void TestEleve::resultsOfOnePupil()
{
    Sandbox sandbox;
    Store::Write(Store::Frappin, Store::Demarrage, Store::Derniere, " Léa ");
    Store::Write(Store::Frappin, "Léa", Store::Note, "16");
    Store::Write(Store::Frappin, "Léa", Store::Duree, "0.00347222222222222");
    Store::Write(Store::Frappin, "Léa", Store::NombreCaracteres, "20");
    Store::Write(Store::Frappin, "Léa", Store::Niveau, "1");
    Run run = eleve({"resultats"});
    QCOMPARE(run.status, 0);
    QVERIFY2(run.out.contains("Note : 16/20"), qPrintable(run.out));
    QVERIFY(run.out.contains("Durée : 5 min 00 s"));
    QVERIFY(run.out.contains("Nombre de caractères : 20"));
    QVERIFY(run.out.contains("Niveau : 1"));

    run = eleve({"resultats", "Tom"});
    QCOMPARE(run.status, 1);
    QVERIFY(run.err.contains("pas encore de résultats"));
}

void TestEleve::csvListsEveryPupilWithResults()
{
    Sandbox sandbox;
    Store::Write(Store::Frappin, Store::Demarrage, Store::Niveau, "1");
    Store::Write(Store::Frappin, "Léa", Store::Note, "19");
    Store::Write(Store::Frappin, "Léa", Store::Duree, "0,0025");
    Store::Write(Store::Frappin, "Tom; le grand", Store::Note, "-5");
    Store::Write(Store::Frappin, "Tom; le grand", Store::Niveau, "3");
    const Run run = eleve({"csv"});
    QCOMPARE(run.status, 0);
    const QStringList lines = run.out.split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines[0], QStringLiteral("Élève;Note;Durée (jours);Durée;Nombre de caractères;Niveau"));
    QVERIFY(lines.contains(QStringLiteral("Léa;19;0,0025;3 min 36 s;;")));
    QVERIFY(lines.contains(QStringLiteral("\"Tom; le grand\";-5;;;;3")));
}

void TestEleve::helpIsInFrench()
{
    Sandbox sandbox;
    const Run run = eleve({"--help"});
    QCOMPARE(run.status, 0);
    QVERIFY(run.out.contains("Utilisation"));
    QVERIFY(run.out.contains("frappin-eleve csv"));
    QVERIFY(run.err.isEmpty());
}

FRAPPIN_TEST_MAIN(TestEleve)
#include "tst_eleve.moc"
