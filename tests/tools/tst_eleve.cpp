// frappin-eleve: a bad command line is refused with a French message and writes nothing; naming a pupil
// writes only the identity; results print for one pupil, or for every pupil as CSV.

#include "classe/classwindow.h"
#include "eleve/eleve.h"
#include "history/history.h"
#include "settings/identity.h"
#include "settings/teachercode.h"
#include "support/sandbox.h"

#include <QInputDialog>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <sys/resource.h>

class TestEleve : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void commandsDoWhatTheySay_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("output"); // a part of what it prints, or of its message
        QTest::addColumn<QString>("stored"); // Prenom, Nom, Dernière, Eleves ("<p>": the test's folder)
        using A = QStringList;
        const A ab = {"definir", "--prenom", "A", "--nom", "B"};
        const QString before = "|| Léa |<absent>";
        // clang-format off
        QTest::newRow("nothing")              << A{} << 2 << "definir, resultats, historique, csv, verifier ou serveur" << before;
        QTest::newRow("unknown command")      << A{"effacer"} << 2 << "commande inconnue" << before;
        QTest::newRow("no family name")       << A{"definir", "--prenom", "Léa"} << 2 << "obligatoires" << before;
        QTest::newRow("blank first name")     << A{"definir", "--prenom", " ", "--nom", "B"} << 2 << "obligatoires" << before;
        QTest::newRow("unknown option")       << ab + A{"--age", "7"} << 2 << "option inconnue" << before;
        QTest::newRow("option without value") << A{"definir", "--prenom"} << 2 << "il manque une valeur" << before;
        QTest::newRow("slash in the name")    << ab + A{"--eleve", "a/b"} << 2 << "ne peut pas être" << before;
        QTest::newRow("missing photo folder") << ab + A{"--photos", "/nulle/part"} << 2 << "n'existe pas" << before;
        QTest::newRow("blank pupil's name")   << A{"resultats", "  "} << 2 << "aucun élève en cours" << before;
        QTest::newRow("teacher's section, e + accent") << ab + A{"--eleve", "De\u0301marrage"} << 2 << "ne peut pas être" << before;
        QTest::newRow("teacher's settings, e + accent") << A{"resultats", "De\u0301marrage"} << 2 << "pas un élève" << before;
        QTest::newRow("csv with an argument") << A{"csv", "x"} << 2 << "argument en trop" << before;
        QTest::newRow("definir with an argument") << ab + A{"x"} << 2 << "argument en trop" << before;
        QTest::newRow("blank results' name") << ab + A{"--eleve", " "} << 2 << "ne peut pas être vide" << before;
        QTest::newRow("results of two")       << A{"resultats", "Léa", "Zoé"} << 2 << "un seul nom" << before;
        QTest::newRow("history, unknown option") << A{"historique", "--age=7"} << 2 << "option inconnue" << before;
        QTest::newRow("history, blank name")  << A{"historique", " "} << 2 << "aucun élève en cours" << before;
        QTest::newRow("definir") << A{"definir", "--prenom", " Léa ", "--nom", "Martin", "--photos", "<p>/"} << 0
            << "Photo attendue : <p>/Martin-Léa.bmp\n" << "Léa|Martin|Léa Martin|<p>";
        QTest::newRow("definir, results' name") << A{"definir", "--prenom=Tom", "--nom=Roux", "--eleve=CE1 Tom"} << 0
            << "(résultats sous « CE1 Tom »)\n" << "Tom|Roux|CE1 Tom|<absent>";
        QTest::newRow("current pupil") << A{"resultats"} << 0
            << "Note : 16/20\nDurée : 5 min 00 s (0.00347222222222222 jour)\nNombre de caractères : 20\nNiveau : 1\nLeçon : 2 sur 2, rangée du haut\n" << before;
        QTest::newRow("decimal comma") << A{"resultats", "Zoé"} << 0 << "Durée : 3 min 36 s (0,0025 jour)\n" << before;
        QTest::newRow("no results")    << A{"resultats", "Tom"} << 1 << "pas encore de résultats pour « Tom »" << before;
        QTest::newRow("CSV") << A{"csv"} << 0 << "\uFEFFÉlève;Note;Durée (jours);Durée;Nombre de caractères;Niveau;Leçon;Permis\r\n"
            "Léa;16;0,00347222222222222;5 min 00 s;20;1;2. rangée du haut;\r\n\"Tom; le grand\";-5;;;;3;1. rangée de repos;\r\n"
            "Zoé;19;0,0025;3 min 36 s;;;1. rangée de repos;05/12/2026\r\n" << before;
        const A check = {"verifier", "--clavier", FRAPPIN_RESOURCES_DIR "/clavier.dat"};
        QTest::newRow("list typable") << check + A{"<p>/bons.mot"} << 0 << "Tous les mots peuvent être tapés" << before;
        QTest::newRow("list not typable") << check + A{"<p>/mauvais.mot"} << 1
            << "« cœur » : œ → coeur\n« École » : É → Ecole\n« l’île » : ’ → l'île\n« ex æquo » : æ → ex aequo\n4 mots" << before;
        QTest::newRow("list missing") << check + A{"<p>/aucun.mot"} << 2 << "impossible de lire la liste" << before;
        QTest::newRow("no list")      << check << 2 << "donnez une liste de mots" << before;
        QTest::newRow("no key file")  << A{"verifier", "--clavier", "<p>/aucun.dat", "<p>/bons.mot"} << 2 << "impossible de lire le fichier du clavier" << before;
        QTest::newRow("verifier, unknown option") << A{"verifier", "--age", "x"} << 2 << "option inconnue" << before;
        QTest::newRow("history") << A{"historique"} << 0 << "Élève : Léa (1 série)\n" << before;
        QTest::newRow("history, a series, e + accent") << A{"historique", "Le\u0301a"} << 0 << "  note 17/20  2 min 00 s  40 caractères  1 faute  20 car./min  niveau 2  cp.mot  dictée\n" << before;
        QTest::newRow("history as CSV") << A{"historique", "--csv", "Léa"} << 0 << ";Léa;120;17;40;1;20;2;cp.mot;é 1;oui\r\n" << before;
        QTest::newRow("no history") << A{"historique", "Zoé"} << 1 << "pas encore de série dans l'historique de « Zoé »" << before;
        QTest::newRow("history of two") << A{"historique", "Léa", "Zoé"} << 2 << "un seul nom" << before;
        QTest::newRow("help of a command") << A{"definir", "--help"} << 0 << "  frappin-eleve csv\n" << before;
        QTest::newRow("server not named")   << A{"serveur"} << 2 << "donnez le nom d'un service PostgreSQL" << before;
        QTest::newRow("unknown service")    << A{"serveur", "frappin-absent"} << 1 << "« frappin-absent ») ne peut pas être écrit : ce service n'est pas décrit dans pg_service.conf" << before;
        // clang-format on
    }
    // A bad command line gives status 2 and a French message that points at the help; "definir" writes the
    // names trimmed, the results' name ("Prénom Nom" unless given) and the photographs' folder without its
    // trailing slash, never the teacher's settings; results print for the current pupil or another, and as
    // CSV for all (the teacher's section left out); a pupil without results gives status 1.
    void commandsDoWhatTheySay()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, output);
        QFETCH(QString, stored);
        Sandbox sandbox;
        // The path on: Léa stored on the second lesson, Zoé holding the permis, Tom on the first.
        QVERIFY(Store::write(Store::Frappin, Store::Demarrage,
                             {{Store::Derniere, " Léa "}, {Store::Niveau, "1"}, {Store::Parcours, "1"}}));
        const QStringList keys = {Store::Note, Store::Duree, Store::NombreCaracteres, Store::Niveau};
        for (const QStringList &pupil :
             {QStringList{"Léa", "16", "0.00347222222222222", "20", "1"},
              QStringList{"Zoé", "19", "0,0025", "", ""}, QStringList{"Tom; le grand", "-5", "", "", "3"}}) {
            for (int i = 1; i < pupil.size(); ++i)
                QVERIFY(pupil[i].isEmpty() || Store::write(Store::Frappin, pupil[0], keys[i - 1], pupil[i]));
        }
        QVERIFY(Store::write(Store::Frappin, "Léa", Store::Lecon, "02 rangée du haut.mot") &&
                Store::write(Store::Frappin, "Zoé", Store::Permis, "2026-12-05"));
        for (const QString lesson : {"01 rangée de repos.mot", "02 rangée du haut.mot"})
            sandbox.writeFile(lesson, "a,,\n");
        History::Record lea{"Léa",     QDateTime({2026, 12, 6}, {9, 0}, Qt::UTC), 120, 17, 40, 1, 2, "cp.mot",
                            {{"é", 1}}};
        lea.dictee = true;
        QVERIFY(History::append(lea).isEmpty());
        sandbox.writeFile("bons.mot", QString("Léa,,\nNoël sûr ?,,\n").toUtf8());
        sandbox.writeFile("mauvais.mot", QString("cœur,,\nchat,,\nÉcole,,\nl’île,,\nex æquo,,\n").toUtf8());
        QString out, err;
        QTextStream outStream(&out), errStream(&err);
        QCOMPARE(runEleve(arguments.replaceInStrings("<p>", sandbox.folder()), outStream, errStream), status);
        outStream.flush();
        errStream.flush();
        // "verifier" lists the words it finds on the standard output, for scripts, whatever its status.
        const bool toOut = status == 0 || (status == 1 && arguments.first() == u"verifier");
        QVERIFY2((toOut ? out : err).contains(output.replace("<p>", sandbox.folder())),
                 qPrintable(out + err));
        QVERIFY((toOut ? err : out).isEmpty() &&
                (status != 2 || err.endsWith("« frappin-eleve --help » pour l'aide.\n")));
        QCOMPARE(
            QStringList({Store::prenom(), Store::nom(), Store::derniere(),
                         Store::read(Store::Configuration, Store::SectionFichier, Store::Eleves, "<absent>")})
                .join(u'|'),
            stored.replace("<p>", sandbox.folder()));
        QCOMPARE(readSetting(Store::Niveau) + readSetting(Store::Exercice), "1<absent>");
    }

    void exportsAreTextAndWhole_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("field"); // as every CSV export writes it
        QTest::addColumn<int>("sizeLimit"); // bytes a file may have (the PDF has more), 0: none
        // clang-format off
        QTest::newRow("sum")                << "=2+3"       << "'=2+3"       << 0;
        QTest::newRow("function")           << "@SOMME(A1)" << "'@SOMME(A1)" << 0;
        QTest::newRow("plus, size limit")   << "+33 Léa"    << "'+33 Léa"    << 2000;
        QTest::newRow("minus")              << "-Léa"       << "'-Léa"       << 0;
        QTest::newRow("a number stays one") << "-5"         << "-5"          << 0;
        QTest::newRow("inside the name")    << "Léa=2+3"    << "Léa=2+3"     << 0;
        QTest::newRow("quotes doubled")     << "Léa \"Lili\"" << "\"Léa \"\"Lili\"\"\"" << 0;
        // clang-format on
    }
    // A name a spreadsheet would run as a formula is text in every CSV export, as it is in the class file;
    // the PDF report is written whole, or not at all and told.
    void exportsAreTextAndWhole()
    {
        QFETCH(QString, name);
        QFETCH(QString, field);
        QFETCH(int, sizeLimit);
        Sandbox sandbox;
        QCOMPARE(
            History::append({name, QDateTime({2026, 12, 6}, {9, 0}, Qt::UTC), 60, 12, 20, 1, 1, "a", {}}),
            "");
        QVERIFY(Store::write(Store::Frappin, name, {{Store::Note, "12"}, {Store::Permis, "2026-12-05"}}));
        QCOMPARE(ClassList::save({{name, "Léa", "Martin"}}), QString());
        QCOMPARE(ClassList::load().value(0).eleve, name);
        sandbox.writeFile("01 rangée de repos.mot", "a,,\n"); // a lesson, listed on the permis
        QStringList exported;
        for (const QStringList &arguments : {QStringList{"csv"}, QStringList{"historique", name, "--csv"}}) {
            QString out;
            QTextStream outStream(&out), errStream(stderr);
            QCOMPARE(runEleve(arguments, outStream, errStream), 0);
            outStream.flush();
            exported.append(out);
        }
        ClassWindow window;
        window.findChild<QTabWidget *>()->setCurrentIndex(2);
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit room{};
        getrlimit(RLIMIT_FSIZE, &room);
        const rlimit limited{sizeLimit > 0 ? rlim_t(sizeLimit) : room.rlim_cur, room.rlim_max};
        QVERIFY(setrlimit(RLIMIT_FSIZE, &limited) == 0);
        for (const QString button : {"tableau (CSV)", "historique (CSV)", "Fiche PDF", "Permis clavier"}) {
            answerFileDialog(sandbox.path(button.left(5)));
            for (QPushButton *b : window.findChildren<QPushButton *>())
                if (b->text().contains(button))
                    b->click();
        }
        QVERIFY(setrlimit(RLIMIT_FSIZE, &room) == 0);
        for (const char *file : {"table", "histo"})
            exported.append(QString::fromUtf8(fileBytes(sandbox.path(file))));
        for (const QString &text : exported)
            QVERIFY2(text.contains("\n" + field + ";") || text.contains(";" + field + ";"), qPrintable(text));
        QCOMPARE(sandbox.messages.size(), sizeLimit ? 2 : 0);
        for (const char *file : {"Fiche", "Permi"}) {
            const QByteArray pdf = fileBytes(sandbox.path(file));
            QVERIFY(sizeLimit
                        ? pdf == "<unreadable>" &&
                              sandbox.messages.takeFirst().text.contains("taille permise")
                        : pdf.startsWith("%PDF") && pdf.endsWith("%%EOF\n") && pdf.contains("/Count 1"));
        }
    }

    void teacherMovesAPupil_data()
    {
        QTest::addColumn<QString>("code"); // the teacher's code typed, "": cancelled
        QTest::addColumn<bool>("fileSizeLimit");
        QTest::addColumn<QString>("stored"); // Leçon|Réussies afterwards
        QTest::addColumn<QString>("shown");  // the class table's lesson, or the message told
        // clang-format off
        QTest::newRow("moved")          << "1234" << false << "02 rangée du haut.mot|0" << "2. rangée du haut";
        QTest::newRow("code cancelled") << ""     << false << "<absent>|1"             << "<not shown>";
        QTest::newRow("write fails")    << "1234" << true  << "<absent>|1"             << "La leçon de Léa n'a pas pu être changée : ";
        // clang-format on
    }
    // "Changer de leçon..." stands behind the teacher's code; it stores the lesson and a fresh count of
    // series reached in one write, shown in the class table; a write that fails is told and changes nothing.
    void teacherMovesAPupil()
    {
        QFETCH(QString, code);
        QFETCH(bool, fileSizeLimit);
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        Sandbox sandbox;
        for (const QString lesson : {"01 rangée de repos.mot", "02 rangée du haut.mot"})
            sandbox.writeFile(lesson, "a,,\n");
        QVERIFY(TeacherCode::set("1234") && Store::write(Store::Frappin, "Léa", Store::Reussies, "1"));
        QCOMPARE(ClassList::save({{"Léa", "Léa", "Martin"}}), QString());
        ClassWindow window;
        QStringList said;
        answerCodeDialogs({code}, &said);
        window.findChild<QTabWidget *>()->setCurrentIndex(2);
        auto *table = window.findChild<QTableWidget *>("tableauClasse");
        QTimer::singleShot(0, qApp, [] {
            if (auto *dialog = qobject_cast<QInputDialog *>(QApplication::activeModalWidget())) {
                dialog->setTextValue(dialog->comboBoxItems().last());
                dialog->accept();
            }
        });
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit room{};
        getrlimit(RLIMIT_FSIZE, &room);
        const rlimit limited{fileSizeLimit ? rlim_t(QFileInfo(Store::filePath(Store::Frappin)).size())
                                           : room.rlim_cur,
                             room.rlim_max};
        QVERIFY(setrlimit(RLIMIT_FSIZE, &limited) == 0);
        // Behind the notice of the teacher's side, the button cannot be reached.
        for (QPushButton *b : window.findChildren<QPushButton *>())
            if (b->text().contains("leçon") && b->isVisibleTo(&window))
                b->click();
        QVERIFY(setrlimit(RLIMIT_FSIZE, &room) == 0);
        QCOMPARE(readSetting(Store::Lecon, "Léa") + "|" + readSetting(Store::Reussies, "Léa"), stored);
        const QString told = fileSizeLimit       ? sandbox.messages.value(0).text
                             : table->item(0, 6) ? table->item(0, 6)->text()
                                                 : "<not shown>";
        QVERIFY2(told.startsWith(shown) && sandbox.messages.size() == int(fileSizeLimit), qPrintable(told));
    }

    // Under a file-size limit the command tells why in French and fails, leaves no lock file and the identity
    // wholly the old one (at the file's size, three writes changed the first name, not the results name).
    void fileSizeLimitIsTold()
    {
        for (const int limit : {0, -1}) {
            Sandbox sandbox;
            // Another pupil's results make room for the lock file under the file's size.
            QVERIFY(Identity::write({"Léa", "Martin", "CE1 Léa Martin"}) &&
                    Store::write(Store::Frappin, "Zoé", Store::Note, QString(300, u'1')));
            const QString ini = Store::filePath(Store::Frappin);
            const QByteArray before = fileBytes(ini);
            QProcess process;
            // A coverage build's counters, cut short by the limit, would spoil the ones the suite writes.
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert("GCOV_PREFIX", sandbox.path("gcov"));
            process.setProcessEnvironment(environment);
            const rlimit size{rlim_t(limit < 0 ? before.size() : limit), RLIM_INFINITY};
            process.setChildProcessModifier([size] {
                std::signal(SIGXFSZ, SIG_DFL);
                setrlimit(RLIMIT_FSIZE, &size);
            });
            process.start(FRAPPIN_ELEVE_PROGRAM, {"definir", "--prenom", "Tom", "--nom", "Roux", "--eleve",
                                                  "Tom Roux, CE1 de Mme Dupont"});
            QVERIFY(process.waitForFinished(30000));
            QCOMPARE(process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, 1);
            QVERIFY(QString::fromUtf8(process.readAllStandardError()).contains("taille permise"));
            QVERIFY(!QFile::exists(ini + ".lock"));
            QCOMPARE(fileBytes(ini), before);
        }
    }
};

// A window suite: one table drives the companion's exports beside the command's.
FRAPPIN_TEST_MAIN(TestEleve)
#include "tst_eleve.moc"
