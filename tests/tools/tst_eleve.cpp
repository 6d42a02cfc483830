// The companion command: naming the pupil writes only the identity keys, bad arguments are refused with a
// French message and a non-zero status, and results print for one pupil or for all as CSV.

#include "eleve/eleve.h"
#include "settings/store.h"
#include "support/sandbox.h"

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

QString photos()
{
    return Store::Read(Store::Configuration, Store::SectionFichier, Store::Eleves, "<absent>");
}

} // namespace

class TestEleve : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void badArgumentsAreRefused_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        using Args = QStringList;
        const Args ab = {"definir", "--prenom", "A", "--nom", "B"};
        // clang-format off
        QTest::newRow("nothing") << Args{} << "definir, resultats ou csv";
        QTest::newRow("unknown command") << Args{"effacer"} << "commande inconnue";
        QTest::newRow("no family name") << Args{"definir", "--prenom", "Léa"} << "obligatoires";
        QTest::newRow("blank first name") << Args{"definir", "--prenom", " ", "--nom", "B"} << "obligatoires";
        QTest::newRow("unknown option") << ab + Args{"--age", "7"} << "option inconnue";
        QTest::newRow("option without value") << Args{"definir", "--prenom"} << "il manque une valeur";
        QTest::newRow("teacher's section") << ab + Args{"--eleve", "Démarrage"} << "ne peut pas être";
        QTest::newRow("slash in pupil name") << ab + Args{"--eleve", "a/b"} << "ne peut pas être";
        QTest::newRow("missing photo folder") << ab + Args{"--photos", "/nulle/part"} << "n'existe pas";
        QTest::newRow("no current pupil") << Args{"resultats"} << "aucun élève en cours";
        QTest::newRow("teacher's settings as results") << Args{"resultats", "Démarrage"} << "pas un élève";
        QTest::newRow("csv with argument") << Args{"csv", "x"} << "argument en trop";
        // clang-format on
    }
    // A bad command line is refused with status 2 and a French message, and writes nothing.
    void badArgumentsAreRefused()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        Sandbox sandbox;
        const Run run = eleve(arguments);
        QCOMPARE(run.status, 2);
        QVERIFY2(run.err.contains(message), qPrintable(run.err));
        QVERIFY(run.err.contains("frappin-eleve --help"));
        QCOMPARE(readSetting(Store::Prenom), QStringLiteral("<absent>"));
        QCOMPARE(readSetting(Store::Derniere), QStringLiteral("<absent>"));
        QCOMPARE(photos(), QStringLiteral("<absent>"));
    }

    // Naming a pupil writes the names, the pupil's section and the photographs' folder, nothing else.
    void definingAPupilWritesOnlyTheIdentity()
    {
        Sandbox sandbox;
        Store::Write(Store::Frappin, Store::Demarrage, Store::Niveau, "2");
        Store::Write(Store::Frappin, Store::Demarrage, Store::Fichier, "ce1.mot");
        Run run =
            eleve({"definir", "--prenom", " Léa ", "--nom", "Martin", "--photos", sandbox.folder() + "/"});
        QCOMPARE(run.status, 0);
        QCOMPARE(readSetting(Store::Prenom), QStringLiteral("Léa"));
        QCOMPARE(readSetting(Store::Nom), QStringLiteral("Martin"));
        QCOMPARE(readSetting(Store::Derniere), QStringLiteral("Léa Martin"));
        QCOMPARE(photos(), sandbox.folder());
        QVERIFY2(run.out.contains(QDir(sandbox.folder()).filePath("Martin-Léa.bmp")), qPrintable(run.out));
        QCOMPARE(readSetting(Store::Niveau), QStringLiteral("2"));
        QCOMPARE(readSetting(Store::Fichier), QStringLiteral("ce1.mot"));
        QCOMPARE(readSetting(Store::Exercice), QStringLiteral("<absent>"));

        run = eleve({"definir", "--prenom=Tom", "--nom=Roux", "--eleve=CE1 Tom"});
        QCOMPARE(run.status, 0);
        QCOMPARE(readSetting(Store::Derniere), QStringLiteral("CE1 Tom"));
        QCOMPARE(photos(), sandbox.folder());
    }

    void resultsPrintForOneOrAll_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("lines"); // of the output, or -1 for any number
        QTest::addColumn<QStringList>("shown");
        using Args = QStringList;
        using Shown = QStringList;
        // clang-format off
        QTest::newRow("current pupil") << Args{"resultats"} << 0 << 5
            << Shown{"Note : 16/20\n", "Durée : 5 min 00 s", "Nombre de caractères : 20\n", "Niveau : 1\n"};
        QTest::newRow("decimal comma") << Args{"resultats", "Zoé"} << 0 << 5
            << Shown{"Note : 19/20\n", "3 min 36 s"};
        QTest::newRow("no results") << Args{"resultats", "Tom"} << 1 << 1
            << Shown{"pas encore de résultats"};
        QTest::newRow("CSV") << Args{"csv"} << 0 << 4
            << Shown{"\uFEFFÉlève;Note;Durée (jours);Durée;Nombre de caractères;Niveau\r\n",
                     "\nLéa;16;0,00347222222222222;5 min 00 s;20;1\r\n", "\nZoé;19;0,0025;3 min 36 s;;\r\n",
                     "\n\"Tom; le grand\";-5;;;;3\r\n"};
        QTest::newRow("help") << Args{"--help"} << 0 << -1
            << Shown{"Utilisation", "frappin-eleve csv"};
        QTest::newRow("help of a command") << Args{"definir", "--help"} << 0 << -1 << Shown{"Utilisation"};
        // clang-format on
    }
    // A pupil's results print in French, and every pupil's as CSV; a pupil without results is told so.
    void resultsPrintForOneOrAll()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(int, lines);
        QFETCH(QStringList, shown);
        Sandbox sandbox;
        Store::Write(Store::Frappin, Store::Demarrage, Store::Derniere, " Léa ");
        Store::Write(Store::Frappin, Store::Demarrage, Store::Niveau, "1");
        const QStringList keys = {Store::Note, Store::Duree, Store::NombreCaracteres, Store::Niveau};
        const QStringList results[] = {{"Léa", "16", "0.00347222222222222", "20", "1"},
                                       {"Zoé", "19", "0,0025"},
                                       {"Tom; le grand", "-5", "", "", "3"}};
        for (const QStringList &pupil : results) {
            for (int i = 1; i < pupil.size(); ++i) {
                if (!pupil[i].isEmpty())
                    Store::Write(Store::Frappin, pupil[0], keys[i - 1], pupil[i]);
            }
        }
        const Run run = eleve(arguments);
        QCOMPARE(run.status, status);
        QCOMPARE((status == 0 ? run.err : run.out), QString());
        const QString &text = status == 0 ? run.out : run.err;
        if (lines >= 0)
            QCOMPARE(text.count(u'\n'), lines);
        for (const QString &part : shown)
            QVERIFY2(text.contains(part), qPrintable(text));
    }
};

FRAPPIN_TEST_MAIN(TestEleve)
#include "tst_eleve.moc"
