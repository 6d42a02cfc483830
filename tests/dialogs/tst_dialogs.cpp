// The three dialogs: the word-list editor, the settings dialog and the About box.

#include "about/frmapropos.h"
#include "about/registry.h"
#include "about/sysinfo.h"
#include "common/savefile.h"
#include "common/strings.h"
#include "common/textfile.h"
#include "exercise/frmmain.h"
#include "keyboard/keytable.h"
#include "settings/frmparam.h"
#include "settings/teachercode.h"
#include "support/sandbox.h"
#include "words/frmmots.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>

#include <csignal>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

const QString Mots = Store::DefaultWordList;
const QByteArray TwoWords("chien,,\r\nchat,,\r\n"); // 17 bytes

template <typename T = QPushButton> T *control(const QWidget *window, const char *name)
{
    return window->findChild<T *>(QString::fromLatin1(name));
}

void addWord(frmMots &dialog, const QString &word)
{
    control<QLineEdit>(&dialog, "Text1")->setText(word);
    control(&dialog, "btnAjouter")->click();
}

// The files the settings dialog lists, then what its lists show, then what the store holds for them.
QString shownAndStored(const frmParam &dialog)
{
    QStringList files, shown, stored;
    for (int i = 0; i < control<QComboBox>(&dialog, "saisieFichier")->count(); ++i)
        files.append(control<QComboBox>(&dialog, "saisieFichier")->itemText(i));
    for (const QString &key : {Store::Niveau, Store::Exercice, Store::Son, Store::Fichier}) {
        shown.append(control<QComboBox>(&dialog, qPrintable("saisie" + key))->currentText());
        stored.append(readSetting(key));
    }
    return files.join(u'|') + u'/' + shown.join(u'|') + u'/' + stored.join(u'|');
}

} // namespace

class TestDialogs : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void editorScenarios_data()
    {
        QTest::addColumn<QByteArray>("content"); // of "frappin.mot" before; null: no file
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("shown"); // the words at the end, or "<closed>"
        QTest::addColumn<QByteArray>("file");   // at the end
        QTest::addColumn<QString>("told");      // a part of each message, in order, separated by "|"
        const auto cp = [](const QString &text) { return encodeWindows1252(text).value(); };
        using B = QByteArray;
        using L = QStringList;
        const B two = TwoWords;
        const L start = {"chat", "chien"}, closed = {"<closed>"};
        // clang-format off
        QTest::newRow("French order") << cp("fête,,\r\nzèbre,,\r\nécole,,\r\ndiamant,,\r\nÉté,,\r\nAbricot,,\r\nabricot,,") << L{"save"} << L{"abricot", "Abricot", "diamant", "école", "Été", "fête", "zèbre"} << cp("abricot,,\r\nAbricot,,\r\ndiamant,,\r\nécole,,\r\nÉté,,\r\nfête,,\r\nzèbre,,\r\n") << "";
        QTest::newRow("comments kept, first field trimmed, no empty word") << cp("# Mes mots\r\n  le chien  ,1,2\r\n\r\n   \r\n,,\r\n , x\r  #x,,\r\n\"un, deux\",,\r\n\tvélo ") << L{"save"} << L{"\tvélo", "\"un", "le chien"} << cp("# Mes mots\r\n  #x,,\r\n\tvélo,,\r\n\"un,,\r\nle chien,,\r\n") << "";
        QTest::newRow("UTF-8, LF, decomposed, a comment 1252 cannot hold") << QString("# relus ✓\nzèbre,,\ne\u0301cole,,\n").toUtf8() << L{"save"} << L{"école", "zèbre"} << QString("# relus ✓\r\nécole,,\r\nzèbre,,\r\n").toUtf8() << "";
        QTest::newRow("e + accent added composed, once") << two << L{"add e\u0301cole", "add école", "save"} << L{"chat", "chien", "école"} << cp("chat,,\r\nchien,,\r\nécole,,\r\n") << "";
        QTest::newRow("byte-order mark, emoji") << B("\xEF\xBB\xBF""chat,,\n") << L{"add 🐱", "save"} << L{"🐱", "chat"} << B("\xEF\xBB\xBF") + QString("🐱,,\r\nchat,,\r\n").toUtf8() << "";
        QTest::newRow("no file: told, created") << B() << L{"save"} << L{} << B("") << "Chemin '<p>/frappin.mot'";
        QTest::newRow("added trimmed, saved") << two << L{"add   5 € ", "y", "close"} << closed << B("5 \x80,,\r\nchat,,\r\nchien,,\r\n") << "sauegarder";
        QTest::newRow("added, not saved")     << two << L{"add Chat", "n", "close"} << closed << two << "sauegarder";
        QTest::newRow("Escape does not close") << two << L{"add lapin", "escape"} << L{"chat", "chien", "lapin"} << two << "";
        QTest::newRow("close box: not saved") << two << L{"add lapin", "closebox"} << closed << two << "";
        QTest::newRow("refused: already there, blanks, emoji, comma, comment mark") << two << L{"add  chat ", "add    ", "add chat 😀", "add un,deux", "add #chat", "close"} << closed << two << "« 😀 »|virgule|commentaire";
        QTest::newRow("deleted, saved")       << two << L{"y", "delete 1", "y", "close"} << closed << B("chat,,\r\n") << "supprimer le mot 'chien' ?|sauegarder";
        QTest::newRow("nothing selected, deletion refused") << two << L{"delete -1", "n", "delete 1"} << start << two << "supprimer";
        QTest::newRow("saved once there is room") << two << L{"add une souris", "full", "y", "close", "room", "y", "close"} << closed << B("chat,,\r\nchien,,\r\nune souris,,\r\n") << "sauegarder|taille permise|sauegarder";
        QTest::newRow("untypable words: usual spellings offered") << QString("cœur,,\r\n🐱,,\r\nchat,,\r\n").toUtf8() << L{"keys", "add Œuf", "add 🐶", "save"} << L{"🐱", "chat", "coeur", "OEuf"} << QString("🐱,,\r\nchat,,\r\ncoeur,,\r\nOEuf,,\r\n").toUtf8() << "ne peut pas taper|« OEuf » à la place|n'a pas été ajouté";
        QTest::newRow("two editors lose no word") << two << L{"add taupe", "y", "delete 0", "elsewhere zèbre", "save"} << L{"chien", "taupe", "zèbre"} << cp("chien,,\r\ntaupe,,\r\nzèbre,,\r\n") << "supprimer|aucun mot n'est perdu";
        // clang-format on
    }
    // The editor shows "frappin.mot" (whatever list the exercises use) in French order and saves it so, after
    // its comment lines, in the encoding it read. "Fermer" offers to save a changed list; Escape and the
    // close box never save. A failed save keeps the file and the list; another editor's save is merged.
    void editorScenarios()
    {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, steps);
        QFETCH(QStringList, shown);
        QFETCH(QByteArray, file);
        QFETCH(QString, told);
        Sandbox sandbox;
        if (!content.isNull())
            sandbox.writeFile(Mots, content);
        sandbox.writeFile("autre.mot", "loup,,\r\n");
        QVERIFY(Store::write(Store::Frappin, Store::Demarrage, Store::Fichier, "autre.mot"));
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit room{};
        getrlimit(RLIMIT_FSIZE, &room);
        const rlimit full{16, room.rlim_max};
        const auto restore = qScopeGuard([&] { setrlimit(RLIMIT_FSIZE, &room); });
        if (steps.value(0) == "keys") { // with the key table, untypable words are told
            QVERIFY(loadKeyTable(QStringLiteral(FRAPPIN_RESOURCES_DIR "/clavier.dat"),
                                 values().ToucheCaractere, values().DerniereTouche));
            steps.removeFirst();
        }
        QPointer<frmMots> dialog = new frmMots;
        const auto close = qScopeGuard([&] { delete dialog; });
        dialog->show();
        for (const QString &step : steps) {
            const QString verb = step.section(u' ', 0, 0), word = step.mid(verb.size() + 1);
            if (verb == "y" || verb == "n") { // the answer to the next question
                sandbox.answers.append(verb == "y" ? MsgAnswer::Yes : MsgAnswer::No);
            } else if (verb == "add") {
                addWord(*dialog, word);
            } else if (verb == "delete") {
                control<QListWidget>(dialog, "List1")->setCurrentRow(word.toInt());
                control(dialog, "Command1")->click();
            } else if (verb == "elsewhere") {
                frmMots other;
                addWord(other, word);
                QVERIFY(other.SauveMots());
            } else if (verb == "full" || verb == "room") {
                setrlimit(RLIMIT_FSIZE, verb == "full" ? &full : &room);
            } else if (verb == "save") {
                QVERIFY(dialog->SauveMots());
            } else if (verb == "escape") {
                QTest::keyClick(dialog, Qt::Key_Escape);
            } else {
                verb == "closebox" ? void(dialog->close()) : control(dialog, "Command2")->click();
            }
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        QCOMPARE(dialog ? dialog->words() : QStringList{"<closed>"}, shown);
        QCOMPARE(fileBytes(sandbox.path(Mots)), file);
        const QStringList parts = told.replace("<p>", sandbox.folder()).split(u'|', Qt::SkipEmptyParts);
        QCOMPARE(sandbox.messages.size(), parts.size());
        for (qsizetype i = 0; i < parts.size(); ++i)
            QVERIFY2(sandbox.messages[i].text.contains(parts[i]), qPrintable(sandbox.messages[i].text));
    }

    void savingNeverCutsTheList_data()
    {
        QTest::addColumn<int>("sizeLimit");    // bytes a file may grow to while saving; 0: none
        QTest::addColumn<QString>("reason");   // empty: saved
        QTest::addColumn<QByteArray>("after"); // the list saved
        QTest::addColumn<QString>("disk");     // the folder's own file system, mounted for the test
        const QByteArray longer = TwoWords + "une souris verte,,\r\n",
                         large = QByteArray(5000, 'a') + ",,\r\n";
        // clang-format off
        QTest::newRow("shorter")    << 0  << "" << QByteArray("chat,,\r\n") << "";
        QTest::newRow("size limit") << 20 << "taille permise" << longer << "";
        // No room reserved: the C library writes a byte per block, and the file must be cut back.
        QTest::newRow("no room reserved") << 4500 << "taille permise" << large << "ramfs";
        QTest::newRow("full disk")  << 0  << "disque est plein" << large << "tmpfs";
        QTest::newRow("read-only disk") << 0 << "lecture seule" << large << "read-only";
        // clang-format on
    }
    // Saving as an ordinary user where only the list may be written (in place) replaces it whole, or leaves
    // it byte for byte and tells why.
    void savingNeverCutsTheList()
    {
        QFETCH(int, sizeLimit);
        QFETCH(QString, reason);
        QFETCH(QByteArray, after);
        QFETCH(QString, disk);
        Sandbox sandbox;
        const QByteArray where = QFile::encodeName(sandbox.folder());
        // A tmpfs of one page: the list takes it all.
        if (!disk.isEmpty() && mount("none", where.constData(), disk == "ramfs" ? "ramfs" : "tmpfs", 0,
                                     disk == "ramfs" ? nullptr : "size=4k") != 0)
            QSKIP("A file system can only be mounted as root.");
        const auto unmount =
            qScopeGuard([&] { static_cast<void>(!disk.isEmpty() && umount(where.constData())); });
        sandbox.writeFile(Mots, TwoWords);
        const QString path = sandbox.path(Mots);
        QVERIFY(chmod(QFile::encodeName(path), 0666) == 0);
        QVERIFY(chmod(where, 0755) == 0);
        if (disk == "read-only")
            QCOMPARE(mount("none", where.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0);
        const int told = asOrdinaryUser([&] {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{rlim_t(sizeLimit), RLIM_INFINITY};
            if (sizeLimit > 0 && setrlimit(RLIMIT_FSIZE, &limit) != 0)
                return 3;
            const QString why = saveWholeFile(path, after);
            return why.isEmpty() ? 0 : why.contains(reason) ? 1 : 2;
        });
        QCOMPARE(told, reason.isEmpty() ? 0 : 1);
        QCOMPARE(fileBytes(path), reason.isEmpty() ? after : TwoWords);
        QCOMPARE(QDir(sandbox.folder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{Mots});
    }

    void settingsDialog_data()
    {
        QTest::addColumn<QString>("files");  // of the program's folder, separated by "|"
        QTest::addColumn<QString>("before"); // key=value stored before the opening, separated by "|"
        QTest::addColumn<QString>("shown");  // shownAndStored()
        QTest::addColumn<int>("closing");    // a key, or 0 for the close box and 1 for the OK button
        const QString two = "frappin.mot|autre.mot", sorted = "autre.mot|frappin.mot/";
        const QString first = "1 - Pas à pas|5 mots|Non|";
        // clang-format off
        QTest::newRow("fresh store, OK") << two << "" << sorted + first + "frappin.mot/0|0|0|frappin.mot" << 1;
        QTest::newRow("stored choices, Enter") << two << "Niveau=2|Exercice=3|Son=1|Fichier=autre.mot" << sorted + "3 - Pas de guide|20 mots|Oui|autre.mot/2|3|1|autre.mot" << int(Qt::Key_Return);
        QTest::newRow("file in another letter case: first file, Escape") << "frappin.mot|b.mot" << "Fichier=B.mot|Niveau=1" << "b.mot|frappin.mot/2 - Guide limité|5 mots|Non|b.mot/1|0|0|b.mot" << int(Qt::Key_Escape);
        QTest::newRow("values outside the lists: first item, close box") << two << "Niveau=3|Exercice=1.5|Son=9|Dictee=oui" << sorted + first + "frappin.mot/0|0|0|frappin.mot" << 0;
        QTest::newRow("only ordinary .mot files") << ".cachee.mot|notes.txt|liste.mot.bak|GRAND.MOT| a .mot" << "" << " a .mot|GRAND.MOT/" + first + " a .mot/0|0|0| a .mot" << 1;
        QTest::newRow("no .mot file: none stored") << "clavier.dat" << "" << "/" + first + "/0|0|0|<absent>" << 1;
        // clang-format on
    }
    // Each menu shows one copy of its dialog, without owner or modality; the settings abandon the series,
    // list the ordinary "*.mot" files, show and store the stored settings or each list's first item, then
    // store each choice at once; one the store cannot take is told and shows again what the store gives. OK,
    // Enter and Escape re-arm the start button; the close box does not.
    void settingsDialog()
    {
        QFETCH(QString, files);
        QFETCH(QString, before);
        QFETCH(QString, shown);
        QFETCH(int, closing);
        Sandbox sandbox;
        for (const QString &name : files.split(u'|'))
            sandbox.writeFile(name, "chat,,\r\n");
        QVERIFY(QDir(sandbox.folder()).mkdir("dossier.mot"));
        for (const QString &pair : before.split(u'|', Qt::SkipEmptyParts))
            Store::write(Store::Frappin, Store::Demarrage, pair.section(u'=', 0, 0), pair.section(u'=', 1));
        frmMain window;
        window.BoutonDepart_Click();
        for (const auto menu :
             {&frmMain::mnuParam_Click, &frmMain::mnuMots_Click, &frmMain::mnuApropos_Click})
            (window.*menu)(), (window.*menu)();
        QCOMPARE(window.series().EnCours, 0);
        QVERIFY(topLevels<QDialog>().size() == 3 && topLevels<frmMots>().size() == 1 &&
                topLevels<frmApropos>().size() == 1); // one of each
        for (const QDialog *shown : topLevels<QDialog>())
            QVERIFY(shown->isVisible() && !shown->isModal() && !shown->parentWidget());
        QPointer<frmParam> dialog = topLevels<frmParam>().value(0);
        QComboBox *fichier = control<QComboBox>(dialog, "saisieFichier");
        QCOMPARE(shownAndStored(*dialog), shown);
        auto *dictee = control<QCheckBox>(dialog, "saisieDictee");
        QCOMPARE(dictee->isChecked(), readSetting(Store::Dictee) == u"1");

        sandbox.messages.clear(); // the start-up's, about missing data files
        auto *grade = control<QComboBox>(dialog, "saisieNotePourPasser");
        for (QComboBox *list : dialog->findChildren<QComboBox *>()) {
            if (list == grade)
                continue;
            const int was = list->currentIndex();
            QTest::keyClick(list, was == 0 ? Qt::Key_Down : Qt::Key_Up);
            QVERIFY(list->count() < 2 || list->currentIndex() != was);
            QCOMPARE(readSetting(list->objectName().mid(6)), list != fichier
                                                                 ? QString::number(list->currentIndex())
                                                             : fichier->count() ? list->currentText()
                                                                                : "<absent>");
        }
        // The dictation choice needs the sound, and is stored at once.
        const bool sound = control<QComboBox>(dialog, "saisieSon")->currentIndex() == 1;
        QVERIFY(dictee->isEnabled() == sound &&
                control<QLabel>(dialog, "DicteeSansSon")->isVisible() != sound);
        dictee->click();
        QCOMPARE(readSetting(Store::Dictee), sound ? "1" : "<absent>");
        // The path's grade, out of 20 as stored, is chosen once the path is on.
        QVERIFY(!grade->isEnabled());
        control<QCheckBox>(dialog, "saisieParcours")->click();
        QTest::keyClick(grade, Qt::Key_Down);
        QCOMPARE(readSetting(Store::Parcours) + readSetting(Store::NotePourPasser), "120");
        const QString ini = Store::filePath(Store::Frappin);
        QVERIFY(QFile::rename(ini, ini + ".old") && QDir().mkdir(ini));
        control<QComboBox>(dialog, "saisieExercice")->setCurrentIndex(3);
        control<QCheckBox>(dialog, "saisieParcours")->click();
        QTest::keyClick(grade, Qt::Key_Up);
        dictee->click();
        QVERIFY(QDir().rmdir(ini) && QFile::rename(ini + ".old", ini));
        QCOMPARE(control<QComboBox>(dialog, "saisieExercice")->currentText(), "5 mots");
        QCOMPARE(dictee->isChecked(), sound);
        QVERIFY(control<QCheckBox>(dialog, "saisieParcours")->isChecked() && grade->currentText() == "20/20");
        QVERIFY(sandbox.messages.size() == (sound ? 4 : 3) &&
                sandbox.messages[0].text.contains("n'a pas pu être enregistré") &&
                sandbox.messages.last().text.contains(sound ? "dictée n'a pas pu" : "enregistré"));

        control(&window, "BoutonDepart")->setEnabled(false);
        closing == 1   ? control(dialog, "cmdOK")->click()
        : closing == 0 ? void(dialog->close())
                       : QTest::keyClick(dialog, Qt::Key(closing));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(dialog.isNull());
        QCOMPARE(control(&window, "BoutonDepart")->isEnabled(), closing != 0);
        QCOMPARE(control<QLabel>(&window, "Message")->text() == Texts::Invitation, closing != 0);
    }

    void teacherCodeGuardsTheTeachersDialogs_data()
    {
        QTest::addColumn<QString>("stored"); // the value of "Code", or the code to set
        QTest::addColumn<QStringList>("codes");
        QTest::addColumn<QStringList>("said");
        QTest::addColumn<bool>("opened");
        const QString damaged =
            "Le code enregistré est abîmé : aucun code ne peut l'ouvrir.\nPour repartir sans code, "
            "retirez la ligne « Code=... » de la section [Enseignant]\ndu fichier %1/Configuration.ini.";
        // clang-format off
        QTest::newRow("cancelled")         << "1234" << QStringList{""}             << QStringList{""}        << false;
        QTest::newRow("wrong, then right") << "1234" << QStringList{"1243", "1234"} << QStringList{"Ce n'est pas le bon code. Essayez encore, ou Annuler.", ""} << true;
        QTest::newRow("damaged")           << "pbkdf2-sha256$1000$$" << QStringList{"1234"} << QStringList{damaged.arg(TestSupport::configFolder()), ""} << false;
        // clang-format on
    }
    // With a teacher's code, the settings and the word-list editor open for the code alone; Cancel leaves the
    // series running. Without one, nothing is asked (settingsDialog).
    void teacherCodeGuardsTheTeachersDialogs()
    {
        QFETCH(QString, stored);
        QFETCH(QStringList, codes);
        QFETCH(QStringList, said);
        QFETCH(bool, opened);
        Sandbox sandbox;
        sandbox.copyShippedData();
        QVERIFY(stored.size() == 4 ? TeacherCode::set(stored)
                                   : Store::write(Store::Configuration, "Enseignant", "Code", stored));
        frmMain window;
        window.BoutonDepart_Click();
        for (const auto menu : {&frmMain::mnuParam_Click, &frmMain::mnuMots_Click}) {
            QStringList answered;
            answerCodeDialogs(codes, &answered);
            (window.*menu)();
            QCOMPARE(answered, said);
        }
        QCOMPARE(window.series().EnCours != 0, !opened);
        QCOMPARE(topLevels<frmParam>().size() + topLevels<frmMots>().size(), opened ? 2 : 0);
        qDeleteAll(topLevels<QDialog>());
    }

    void aboutBoxStartsTheSystemInformation_data()
    {
        // The tool the registry names ("folder:": its folder; null: none), the programs of the PATH, and the
        // programs started, separated by "|" ("$path": the PATH; a final "!": starting fails).
        QTest::addColumn<QByteArray>("registry");
        QTest::addColumn<QStringList>("onPath");
        QTest::addColumn<QString>("tried");
        using B = QByteArray;
        const QStringList debian = {"kinfocenter", "hardinfo", "gnome-system-monitor"};
        // clang-format off
        QTest::newRow("registry: NUL inside")   << B("/opt\0x", 6)       << debian << QString::fromLatin1("/opt\0x", 6);
        QTest::newRow("registry: ended by NUL, it fails") << B("/opt/infos\0", 11) << debian << "/opt/infos!";
        QTest::newRow("registry: size 0")       << B("")                 << debian << "";
        QTest::newRow("registry: its folder")   << B("folder:$tools")    << debian << "$tools/MSINFO32.EXE";
        QTest::newRow("registry: no tool there") << B("folder:/nulle/part") << debian << "$path/hardinfo";
        QTest::newRow("registry: too long, PATH: it fails") << B(2000, 'x') << debian << "$path/hardinfo!";
        QTest::newRow("PATH: none")             << B() << QStringList{} << "";
        // clang-format on
    }
    // The About box, centred over the main window, names the program and its version;
    // it starts the tool the registry names (the value less a final NUL; size 0 fails), else the first one
    // found on the PATH, and says so when none starts.
    void aboutBoxStartsTheSystemInformation()
    {
        QFETCH(QByteArray, registry);
        QFETCH(QStringList, onPath);
        QFETCH(QString, tried);
        const bool launchWorks = !tried.endsWith(u'!');
        Sandbox sandbox;
        Registry::clearForTests();
        QTemporaryDir tools;
        QVERIFY(QFile(tools.filePath("MSINFO32.EXE")).open(QIODevice::WriteOnly));
        const bool folder = registry.startsWith("folder:");
        if (!registry.isNull())
            Registry::setValueForTests(
                Registry::LocalMachine,
                QString("SOFTWARE\\Microsoft\\Shared Tools") + (folder ? " Location" : "\\MSINFO"),
                folder ? "MSINFO" : "PATH", Registry::TypeText,
                folder ? registry.mid(7).replace("$tools", QFile::encodeName(tools.path())) : registry);
        QTemporaryDir path;
        for (const QString &name : onPath)
            QVERIFY(QFile(path.filePath(name)).open(QIODevice::WriteOnly) &&
                    chmod(QFile::encodeName(path.filePath(name)), 0755) == 0);
        const QByteArray savedPath = qgetenv("PATH");
        qputenv("PATH", path.path().toLocal8Bit());
        QStringList launched;
        setLauncherForTests([&](const QString &program) {
            launched.append(program);
            return launchWorks;
        });
        const auto restore = qScopeGuard([&] {
            qputenv("PATH", savedPath);
            setLauncherForTests({});
        });
        QWidget main;
        main.setGeometry(100, 50, 701, 403);
        QPointer<frmApropos> box = new frmApropos(&main);
        box->show();
        QVERIFY((box->frameGeometry().center() - main.frameGeometry().center()).manhattanLength() <= 2);
        QCOMPARE(box->windowTitle() + u'|' + control<QLabel>(box, "lblTitle")->text() + u'|' +
                     control<QLabel>(box, "lblDescription")->text().section(u'\n', 0, 2),
                 Texts::ApplicationTitle +
                     "|Divod Ivodedod - Frappin v1.0.0|Progrmmes d 'aide pédagogique pour "
                     "Divod ivodedod.\n\nÉcole des Tilleuls");
        control(box, "cmdSysInfo")->click();
        QCOMPARE(launched.join(u'|'),
                 tried.remove(u'!').replace("$path", path.path()).replace("$tools", tools.path()));
        const MessageRequest notAvailable{"Les informations systèmes ne sont pas disponible actuellement!",
                                          Texts::ApplicationTitle};
        QCOMPARE(sandbox.messages,
                 QList<MessageRequest>(launched.isEmpty() || !launchWorks ? 1 : 0, notAvailable));
        QTest::keyClick(box, Qt::Key_Escape);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(box.isNull());
    }
};

FRAPPIN_TEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
