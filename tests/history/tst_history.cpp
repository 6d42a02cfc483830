// The history of every series: written at the end of a series and read back; a database that cannot be
// written never holds the series up and its records wait for the next start; the CSV files; the pupil named
// by the companions; the heat map's keys.

#include "classe/classwindow.h"
#include "common/platform.h"
#include "common/savefile.h"
#include "exercise/frmmain.h"
#include "history/csv.h"
#include "history/history.h"
#include "keyboard/heatmap.h"
#include "keyboard/keycaps.h"
#include "keyboard/keytable.h"
#include "support/sandbox.h"

#include <QChartView>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QXYSeries>

Q_DECLARE_METATYPE(ClassList::Columns)

namespace {

using Faults = QMap<QString, int>;

// The series typeSeries types first, as the history keeps it.
History::Record leaAtTen(const QString &uuid)
{
    return History::Record("Léa", QDateTime(QDate(2026, 12, 7), QTime(10, 0), Qt::UTC), 60, 19, 20, 1, 1,
                           "frappin.mot", Faults{{"c", 1}}, uuid);
}

// Types a series of five "chat" with one mistake on its first "c".
void typeSeries(frmMain &window, QDateTime &now)
{
    window.findChild<QPushButton *>("BoutonDepart")->click();
    QLineEdit *typing = window.findChild<QLineEdit *>("MonTexte");
    QTest::keyClicks(typing, "x");
    for (int word = 1; word <= 5; ++word) {
        QTest::keyClicks(typing, "chat");
        now = now.addSecs(12);
        window.Timer_Timer(0);
    }
}

} // namespace

class TestHistory : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void faultsNeverHoldTheSeriesUp_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::newRow("none, folder created") << "";
        QTest::newRow("corrupt") << "corrupt";
        QTest::newRow("locked by another program") << "locked";
        QTest::newRow("written by a newer Frappin") << "newer";
        QTest::newRow("folder cannot be made") << "no folder";
    }
    // The series ends with the grade and the store's results whatever the database; a failure is told once,
    // the records wait in the pending file and are written at the next start.
    void faultsNeverHoldTheSeriesUp()
    {
        QFETCH(QString, fault);
        Sandbox sandbox;
        sandbox.copyShippedFile("clavier.dat");
        sandbox.writeFile("frappin.mot", "chat,,\r\n");
        Store::write(Store::Frappin, Store::Demarrage, Store::Derniere, "Léa");
        QDateTime now(QDate(2026, 12, 7), QTime(10, 0), Qt::UTC);
        setClockForTests([&now] { return now; });
        QDir().mkpath(QFileInfo(History::folder()).path());
        QSqlDatabase locker = QSqlDatabase::addDatabase("QSQLITE", "locker");
        if (fault == "corrupt" || fault == "newer" || fault == "locked") {
            QDir().mkpath(History::folder());
            locker.setDatabaseName(History::databasePath());
            QVERIFY(locker.open());
            QSqlQuery(locker).exec(fault == "newer" ? "PRAGMA user_version = 99" : "CREATE TABLE t (x)");
            if (fault == "locked")
                QVERIFY(QSqlQuery(locker).exec("BEGIN EXCLUSIVE"));
            if (fault == "corrupt")
                QCOMPARE(saveWholeFile(History::databasePath(), QByteArray(4096, 'x')), QString());
        } else if (fault == "no folder") {
            QCOMPARE(saveWholeFile(History::folder(), {}), QString());
        }
        {
            frmMain window;
            for (int series = 0; series < 2; ++series) {
                typeSeries(window, now);
                QCOMPARE(window.findChild<QLineEdit *>("MonTexte")->text(), QStringLiteral("19/20"));
                QCOMPARE(readSetting(Store::Note, "Léa"), QStringLiteral("19"));
            }
            QCOMPARE(sandbox.messages.size(), fault.isEmpty() ? 0 : 1);
            if (fault == "corrupt" || fault == "locked")
                QVERIFY(sandbox.messages.first().text.contains(fault == "corrupt" ? "abîmé" : "bloqué"));
            QCOMPARE(History::pending().size(), fault.isEmpty() || fault == "no folder" ? 0 : 2);
        }
        locker.close();
        locker = QSqlDatabase();
        QSqlDatabase::removeDatabase("locker");
        if (fault == "no folder")
            return; // nowhere to keep the records: told, and the store holds the results
        if (fault == "corrupt" || fault == "newer") {
            {
                frmMain stillFailing;
            } // the database still cannot be written: the records keep waiting
            QCOMPARE(History::pending().size(), 2);
        }
        if (!fault.isEmpty())
            QFile::remove(History::databasePath());
        frmMain restarted; // writes what was kept
        const QList<History::Record> records = History::records("Léa");
        QCOMPARE(records.size(), 2);
        QVERIFY(!QFile::exists(History::pendingPath()));
        const History::Record expected = leaAtTen(records.first().uuid);
        QCOMPARE(records.first(), expected);
        QVERIFY(!expected.uuid.isEmpty() && expected.uuid != records.last().uuid);
        for (const QString &own : {History::databasePath(), History::folder(),
                                   Store::filePath(Store::Frappin), TestSupport::configFolder()})
            QVERIFY2(!(QFile::permissions(own) & 0x0077), qPrintable(own));
    }

    // A database its user may only read: told in French, the record kept beside it. A pending file that
    // cannot be read is put aside whole, never written over.
    void readOnlyDatabaseKeepsTheRecord()
    {
        Sandbox sandbox;
        History::Record record = leaAtTen("4f0c8b9e-7b1d-4c57-9a4e-2f3c1d0e5a61");
        record.dictee = true;
        QCOMPARE(History::append(record), QString());
        const QByteArray damaged = "[{\"eleve\": \"Zoé\", \"debut\": \"2026-12-07T10:";
        QCOMPARE(saveWholeFile(History::pendingPath(), damaged), QString());
        const auto open = QFileDevice::Permissions(0x7777);
        for (QString folder = History::folder(); folder != QDir::tempPath();
             folder = QFileInfo(folder).path())
            QFile::setPermissions(
                folder, QFileInfo(folder).fileName() == "frappin" ? open : QFileDevice::Permissions(0x5555));
        QFile::setPermissions(History::databasePath(), QFileDevice::ReadOwner | QFileDevice::ReadOther);
        const int told = asOrdinaryUser([&record] {
            return History::append(record).contains("en lecture seule") && History::pending().size() == 1 ? 0
                                                                                                          : 1;
        });
        QCOMPARE(told, 0);
        QCOMPARE(History::pending(), QList<History::Record>{record});
        const QStringList aside = QDir(History::folder()).entryList({"historique-en-attente-abime-*.json"});
        QCOMPARE(fileBytes(History::folder() + u'/' + aside.value(0)), damaged);
    }

    // The databases of versions 1 and 2 already on the pupils' computers keep their series, those of
    // version 1 each given an identifier.
    void earlierDatabasesAreUpgraded()
    {
        Sandbox sandbox;
        QVERIFY(History::ownFolder());
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "v1");
            db.setDatabaseName(History::databasePath());
            QVERIFY(db.open());
            for (const char *statement :
                 {"CREATE TABLE eleve (id INTEGER PRIMARY KEY, nom)",
                  "CREATE TABLE serie (id INTEGER PRIMARY KEY, eleve, debut, duree, note, caracteres, "
                  "fautes, niveau,"
                  " liste)",
                  "CREATE TABLE faute (serie, caractere, nombre)",
                  "INSERT INTO eleve VALUES (1, 'Léa'), (2, 'Tom')",
                  "INSERT INTO serie VALUES (1, 2, '2026-12-07T11:00:00.000Z', 30, 20, 10, 0, 2, 'a.mot'),"
                  " (2, 1, '2026-12-07T10:00:00.000Z', 60, 19, 20, 1, 1, 'frappin.mot')",
                  "INSERT INTO faute VALUES (2, 'c', 1)", "PRAGMA user_version = 1"})
                QVERIFY2(QSqlQuery(db).exec(statement), statement);
        }
        QSqlDatabase::removeDatabase("v1");
        const QList<History::Record> records = History::records();
        QCOMPARE(records.size(), 2);
        const History::Record lea = leaAtTen(records.first().uuid);
        QCOMPARE(records.first(), lea);
        QVERIFY(!lea.uuid.isEmpty() && lea.uuid != records.last().uuid);
        QCOMPARE(History::append(lea), QString()); // known by its identifier: kept once
        QCOMPARE(History::records(), records);
        // Versions 3 and 2, before the lesson (and dictation) were kept: their series had neither, a new one
        // may.
        QList<History::Record> kept = History::records();
        for (const int version : {3, 2}) {
            {
                QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "earlier");
                db.setDatabaseName(History::databasePath());
                QVERIFY(db.open() && QSqlQuery(db).exec("ALTER TABLE serie DROP COLUMN lecon") &&
                        (version == 3 || QSqlQuery(db).exec("ALTER TABLE serie DROP COLUMN dictee")) &&
                        QSqlQuery(db).exec(QStringLiteral("PRAGMA user_version = %1").arg(version)));
            }
            QSqlDatabase::removeDatabase("earlier");
            History::Record later = leaAtTen(QStringLiteral("from-version-%1").arg(version));
            later.dictee = version == 2;
            later.lesson = "02 rangée du milieu.mot";
            later.start = later.start.addDays(10 - version);
            QCOMPARE(History::append(later), QString());
            for (History::Record &record : kept)
                record.lesson.clear(); // the column dropped above took them
            kept.append(later);
            QCOMPARE(History::records(), kept);
        }
    }

    void classListIsImported_data()
    {
        QTest::addColumn<QString>("file"); // "|" between lines
        QTest::addColumn<ClassList::Columns>("columns");
        QTest::addColumn<QStringList>("names"); // imported beside Hugo DUBOIS, already in the class
        const QString lea = "Léa MARTIN";
        // clang-format off
        QTest::newRow("family name, pupil's first name") << "Nom de famille;Prénom de l'élève|MARTIN;Léa" << ClassList::Columns{1, 0, true} << QStringList{lea};
        QTest::newRow("capitals, a column before; incomplete, known and doubles left out") << "Classe;NOM;PRÉNOM|CE1;MARTIN;Léa|CE1;;Tom|CE1;N'DIAYE;Zoé|CE1;MARTIN;Léa|CE1;DUBOIS;Hugo|CE1;A/B;Max"
            << ClassList::Columns{2, 1, true} << QStringList{lea, "Zoé N'DIAYE"};
        QTest::newRow("typographic apostrophe, no accent") << "Prenom(s);Nom d’usage|Léa;MARTIN" << ClassList::Columns{0, 1, true} << QStringList{lea};
        QTest::newRow("first name alone found")          << "Prénom;Classe|Léa;MARTIN" << ClassList::Columns{0, 1, true} << QStringList{lea};
        QTest::newRow("family name alone found")         << "Classe;Nom|Léa;MARTIN" << ClassList::Columns{0, 1, true} << QStringList{lea};
        QTest::newRow("no header")                       << "MARTIN;Léa|N'DIAYE;Zoé" << ClassList::Columns{1, 0, false} << QStringList{lea, "Zoé N'DIAYE"};
        // clang-format on
    }
    // The import offers the columns its headers name, whatever way a school's software writes them; rows
    // without both names, pupils already there and doubles are left out; the class is kept as saved.
    void classListIsImported()
    {
        QFETCH(QString, file);
        QFETCH(ClassList::Columns, columns);
        QFETCH(QStringList, names);
        Sandbox sandbox;
        const QList<QStringList> rows = Csv::parse(file.replace(u'|', u'\n').toUtf8());
        QCOMPARE(ClassList::guessColumns(rows.first()), columns);
        const QList<ClassPupil> pupils = ClassList::import(
            rows, columns.firstName, columns.familyName, columns.header, {{"Hugo DUBOIS", "Hugo", "DUBOIS"}});
        QStringList found;
        for (const ClassPupil &pupil : pupils)
            found.append(pupil.eleve);
        QCOMPARE(found, names);
        QCOMPARE(ClassList::save(pupils), QString());
        QCOMPARE(ClassList::load(), pupils);
        QCOMPARE(QFile::permissions(ClassList::path()) & 0x0077, QFileDevice::Permissions());
    }

    void schoolListIsRead_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("columns");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QList<QStringList>>("rows"); // empty: not looked at
        const QByteArray fourMiB = QByteArray("a;b\n").repeated(1024 * 1024);
        const QString unreadable = "Le fichier « liste.csv » ne peut pas être lu.";
        const QString noTable = "il faut au moins deux colonnes";
        const QList<QStringList> names = {{"Nom", "Prénom"}, {"Martin", "Léa"}, {"N'Diaye", "Zoé"}}, none;
        // clang-format off
        QTest::newRow("no file")       << QByteArray() << 0 << unreadable << none;
        QTest::newRow("empty")         << QByteArray("") << 0 << noTable << none;
        QTest::newRow("one column")    << QByteArray("Léa\nTom\n") << 1 << noTable << none;
        QTest::newRow("widest row")    << QByteArray("Nom;Prénom\nMARTIN;Léa;CE1\n") << 3 << QString() << none;
        QTest::newRow("4 MiB")         << fourMiB << 2 << QString() << none;
        QTest::newRow("larger than any class") << fourMiB + "a" << 0 << unreadable << none;
        QTest::newRow("UTF-8, BOM, ;") << QByteArray("\xEF\xBB\xBFNom;Prénom\nMartin;Léa\nN'Diaye;Zoé\n") << 2 << QString() << names;
        QTest::newRow("Windows-1252, CR LF, ,") << QByteArray("Nom,Pr\xE9nom\r\n\r\nMartin,L\xE9\x61\r\n  \r\nN'Diaye,Zo\xE9\r\n") << 2 << QString() << names;
        QTest::newRow("quotes, separator inside, doubled quote, line end") << QByteArray("\"Nom\";\"Prénom\"\n\"Martin; fille\";\"L\"\"éa\"\n\"A\nB\";C") << 2 << QString()
            << QList<QStringList>{{"Nom", "Prénom"}, {"Martin; fille", "L\"éa"}, {"A\nB", "C"}};
        QTest::newRow("commas win on the first line") << QByteArray("a,b,c;d\n1,2;3\n") << 3 << QString() << QList<QStringList>{{"a", "b", "c;d"}, {"1", "2;3"}};
        // clang-format on
    }
    // A school's file, as schools write it, is read into its rows, or refused with why before the teacher
    // picks its columns.
    void schoolListIsRead()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, columns);
        QFETCH(QString, error);
        QFETCH(QList<QStringList>, rows);
        Sandbox sandbox;
        if (!bytes.isNull())
            QCOMPARE(saveWholeFile(sandbox.path("liste.csv"), bytes), QString());
        const ClassList::SchoolList list = ClassList::readSchoolList(sandbox.path("liste.csv"));
        QCOMPARE(list.columns, columns);
        QVERIFY2(error.isEmpty() ? list.error.isEmpty() : list.error.contains(error), qPrintable(list.error));
        if (!rows.isEmpty())
            QCOMPARE(list.rows, rows);
    }

    void classTableSumsUpTheHistory_data()
    {
        QTest::addColumn<QList<int>>("grades");
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<int>("dictated"); // the series dictated, the first ones
        QTest::newRow("none") << QList<int>{} << QStringList{"Léa", "0", "", "", "", "0"} << 0;
        QTest::newRow("one, dictated") << QList<int>{12} << QStringList{"Léa", "1", "12", "12", "", "1"} << 1;
        QTest::newRow("nine, no trend yet") << QList<int>{4, 4, 4, 4, 15, 15, 15, 15, 15}
                                            << QStringList{"Léa", "9", "15", "15", "", "3"} << 3;
        QTest::newRow("ten, up by one") << QList<int>{12, 12, 12, 12, 12, 13, 13, 13, 13, 13}
                                        << QStringList{"Léa", "10", "13", "13", "en progrès", "0"} << 0;
        QTest::newRow("last five against the five before")
            << QList<int>{2, 15, 15, 15, 15, 15, 14, 14, 14, 14, 14}
            << QStringList{"Léa", "11", "14", "14", "en baisse", "0"} << 0;
        QTest::newRow("stable") << QList<int>{20, 15, 14, 16, 15, 15, 15, 14, 16, 15, 15}
                                << QStringList{"Léa", "11", "15", "15", "stable", "0"} << 0;
    }
    void classTableSumsUpTheHistory()
    {
        QFETCH(QList<int>, grades);
        QFETCH(QStringList, fields);
        QFETCH(int, dictated);
        QList<History::Record> records;
        for (int grade : grades)
            records.append(
                {"Léa", {}, 60, grade, 20, 0, 1, "frappin.mot", {}, {}, {}, records.size() < dictated});
        QCOMPARE(ClassList::tableFields(ClassList::summarise("Léa", records)),
                 (fields + QStringList{"", ""}));
    }

    // A class of thirty on a screen of 1024 by 768: the faces in a regular grid, by first name, without
    // scrolling; a click names the pupil as Frappin reads it (and tst_eleve the names the store refuses);
    // the class table takes the window's height. The class tab tells what is missing rather than doing
    // nothing: a pupil to change or remove, a list that can be imported. A pupil changed and kept under
    // their own results name is no double.
    void classOfThirtyOnOneScreen()
    {
        Sandbox sandbox;
        QList<ClassPupil> pupils;
        for (const QString prenom : {"Loïc", "Zoé", "Léa", "Emma", "Élodie"})
            pupils.append({"CE1 " + prenom, prenom, "X"});
        QCOMPARE(ClassList::discLetters(ClassList::byFirstName(pupils)),
                 QStringList({"Él", "Em", "Lé", "Lo", "Z"}));
        for (int i = 0; i < 25; ++i)
            pupils.append({QString::number(i), "Marie-Bernadette", QString::number(i)});
        QCOMPARE(ClassList::save(pupils), QString());
        ClassWindow window;
        window.resize(1000, 700);
        window.show();
        auto *tabs = window.findChild<QTabWidget *>();
        tabs->setCurrentIndex(1);
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto *zoe = window.findChild<QAbstractButton *>("visage-CE1 Zoé");
        QList<QAbstractButton *> faces = zoe->parentWidget()->findChildren<QAbstractButton *>();
        std::sort(faces.begin(), faces.end(),
                  [](auto *a, auto *b) { return a->y() * 9999 + a->x() < b->y() * 9999 + b->x(); });
        QCOMPARE(QString::number(faces.size()) + faces.first()->text() + faces.last()->text(), "30ÉlodieZoé");
        for (QAbstractButton *face : faces)
            QVERIFY(face->size() == zoe->size() &&
                    zoe->parentWidget()->parentWidget()->rect().contains(face->geometry()));
        QVERIFY(zoe->width() >= 100);
        QCOMPARE(ClassWindow::pickerGrid(60, {400, 300}).face, ClassWindow::MinFace); // scrolls instead
        zoe->click();
        QCOMPARE(Store::derniere(), QStringLiteral("CE1 Zoé"));
        tabs->setCurrentIndex(2);
        auto *table = window.findChild<QTableWidget *>("tableauClasse");
        QVERIFY(table->rowAt(table->viewport()->height() - 1) >= 19);

        sandbox.writeFile("liste.csv", "Léa\nTom\n");
        const QList<QPushButton *> buttons = window.findChildren<QPushButton *>();
        const auto click = [&](const char *text) {
            (*std::ranges::find_if(buttons, [&](auto *b) { return b->text() == text; }))->click();
        };
        for (const char *text : {"&Modifier...", "&Supprimer", "&Importer une liste (CSV)..."}) {
            answerFileDialog(sandbox.path("liste.csv"));
            click(text);
        }
        QTimer::singleShot(0, qApp, [] { // OK, and a dialog still open once told is given up
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
            dialog->reject();
        });
        for (auto *table : window.findChildren<QTableWidget *>())
            table->setCurrentCell(0, 1);
        click("&Modifier...");
        // No Frappin beside the tests: told, never a silent nothing.
        QStringList told;
        for (const MessageRequest &message : sandbox.messages)
            told.append(message.text.section(u' ', 0, 4));
        const QString noPupil = "Choisissez d'abord un élève dans";
        QCOMPARE(told,
                 QStringList({"Frappin n'a pas pu être", noPupil, noPupil, "Le fichier ne contient pas"}));
        QCOMPARE(ClassList::load(), pupils);
    }

    // A point on 20 or 0 is drawn whole inside the plot; an empty chart shows no labels.
    void chartShowsEveryGrade()
    {
        for (const QList<int> &grades : {QList<int>{}, QList<int>{20, 0, 20}}) {
            QList<History::Record> records;
            for (int i = 0; i < grades.size(); ++i) {
                records.append(
                    {"Léa", QDateTime(QDate(2026, 12, 1 + i), {}), 60, grades[i], 20, 0, 1, "", {}});
                records.last().dictee = i == 1;
            }
            QChartView view(ClassWindow::progressChart(records));
            view.resize(520, 320);
            view.show();
            QVERIFY(QTest::qWaitForWindowExposed(&view));
            QChart *chart = view.chart();
            for (QAbstractAxis *axis : chart->axes())
                QCOMPARE(axis->labelsVisible(), !records.isEmpty());
            const QList<QAbstractSeries *> drawn = chart->series(); // the grades first, the dictated last
            QCOMPARE(drawn.size(), records.isEmpty() ? 2 : 3);
            const QRectF plot = chart->plotArea().adjusted(0, 5, 0, -5);
            for (QAbstractSeries *series : {drawn.first(), drawn.last()})
                for (const QPointF &point : qobject_cast<QXYSeries *>(series)->points())
                    QVERIFY(plot.contains(chart->mapToPosition(point, series)));
        }
    }

    // Mistakes land on the keys that type the characters, as the hand guide finds them.
    void mistakesByKeyAndCharacter()
    {
        Sandbox sandbox;
        TextTable table;
        qint16 last = -1;
        QVERIFY(loadKeyTable(QStringLiteral(FRAPPIN_RESOURCES_DIR "/clavier.dat"), table, last));
        // "A": "a" is struck by the left hand, with Maj of the right; "œ" cannot be typed: left out.
        const QMap<int, int> keys = {{findKey(table, last, "a"), 3},
                                     {findKey(table, last, "e"), 3},
                                     {findKey(table, last, "^"), 3},
                                     {KeyCaps::RightShift, 1}};
        QVERIFY(!keys.contains(-1));
        QCOMPARE(mistakesByKey(Faults{{"a", 2}, {"ê", 3}, {"A", 1}, {"œ", 5}}, table, last), keys);
        // Dictation alone: the faults of the series dictated, never those typed from a word shown.
        const QList<History::Record> records = {
            {"Léa", {}, 60, 15, 20, 3, 1, "", Faults{{"e", 3}}},
            {"Léa", {}, 60, 16, 20, 2, 1, "", Faults{{"e", 1}, {"s", 1}}, {}, {}, true}};
        QCOMPARE(missedCharacters(records, true), (Faults{{"e", 1}, {"s", 1}}));
        QCOMPARE(missedCharacters(records, false), (Faults{{"e", 4}, {"s", 1}}));
        // The weak keys come from the mistakes of a pupil's last five series by their start, whatever the
        // order they were written in; another pupil's and the older ones are left out.
        for (int day = 6; day >= 0; --day) {
            History::Record record = leaAtTen(QString());
            record.start = record.start.addDays(day);
            record.mistakesByCharacter = day < 2 ? Faults{{"x", 1}} : Faults{{"c", day}};
            QCOMPARE(History::append(record), QString());
        }
        History::Record tom = leaAtTen(QString());
        tom.pupil = "Tom";
        tom.mistakesByCharacter = Faults{{"z", 9}};
        QCOMPARE(History::append(tom), QString());
        QCOMPARE(History::recentMistakes("Léa", 5), (Faults{{"c", 2 + 3 + 4 + 5 + 6}}));
    }
};

FRAPPIN_TEST_MAIN(TestHistory)
#include "tst_history.moc"
