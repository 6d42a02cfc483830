// The history of every series: written at the end of a series and read back; a database that cannot be
// written never holds the series up and its records wait for the next start; the CSV files; the pupil named
// by the companions; the heat map's keys.

#include "classe/classwindow.h"
#include "common/platform.h"
#include "exercise/frmmain.h"
#include "history/csv.h"
#include "history/history.h"
#include "keyboard/heatmap.h"
#include "keyboard/keycaps.h"
#include "keyboard/keytable.h"
#include "support/sandbox.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

namespace {

using Faults = QMap<QString, int>;

// The series typeSeries types first, as the history keeps it.
History::Record leaAtTen(const QString &uuid)
{
    return History::Record("Léa", QDateTime(QDate(2026, 12, 7), QTime(10, 0), Qt::UTC), 60, 19, 20, 1, 1,
                           "frappin.mot", Faults{{"c", 1}}, uuid);
}

// Types a series of five "chat" with one mistake on its first "c"; returns how long its end took, in ms.
qint64 typeSeries(frmMain &window, QDateTime &now)
{
    window.findChild<QPushButton *>("BoutonDepart")->click();
    QLineEdit *typing = window.findChild<QLineEdit *>("MonTexte");
    QTest::keyClicks(typing, "x");
    QElapsedTimer last;
    for (int word = 1; word <= 5; ++word) {
        QTest::keyClicks(typing, "chat");
        now = now.addSecs(12);
        last.start();
        window.Timer_Timer(0);
    }
    return last.elapsed();
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
            if (fault == "corrupt") {
                QFile file(History::databasePath());
                QVERIFY(file.open(QIODevice::WriteOnly) && file.write(QByteArray(4096, 'x')) == 4096);
            }
        } else if (fault == "no folder") {
            QFile file(History::folder());
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        {
            frmMain window;
            for (int series = 0; series < 2; ++series) {
                QVERIFY(typeSeries(window, now) < 30000); // a hang bound, whatever the fault
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
        if (!fault.isEmpty())
            QFile::remove(History::databasePath());
        frmMain restarted; // writes what was kept
        const QList<History::Record> records = History::records("Léa");
        QCOMPARE(records.size(), 2);
        QVERIFY(!QFile::exists(History::pendingPath()));
        const History::Record expected = leaAtTen(records.first().uuid);
        QCOMPARE(records.first(), expected);
        QVERIFY(!expected.uuid.isEmpty() && expected.uuid != records.last().uuid);
        QCOMPARE(records.first().speed(), 20.0);
        QCOMPARE(QFile::permissions(History::databasePath()) & 0x0077, QFileDevice::Permissions());
        QCOMPARE(QFile::permissions(History::folder()) & 0x0077, QFileDevice::Permissions());
        QCOMPARE(QFile::permissions(TestSupport::configFolder() + "/Frappin.ini") & 0x0077,
                 QFileDevice::Permissions());
        QCOMPARE(History::csvFields(records.first()).mid(1, 7),
                 QStringList({"Léa", "60", "19", "20", "1", "20", "1"}));
    }

    // A database its user may only read: told in French, the record kept beside it.
    void readOnlyDatabaseKeepsTheRecord()
    {
        Sandbox sandbox;
        const History::Record record = leaAtTen("4f0c8b9e-7b1d-4c57-9a4e-2f3c1d0e5a61");
        QCOMPARE(History::append(record), QString());
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
    }

    // The databases of version 1 already on the pupils' computers keep their series, each given an
    // identifier.
    void version1DatabaseIsUpgraded()
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
    }

    void csvIsReadAsSchoolsWriteIt_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QList<QStringList>>("rows");
        const QList<QStringList> rows = {{"Nom", "Prénom"}, {"Martin", "Léa"}, {"N'Diaye", "Zoé"}};
        QTest::newRow("UTF-8, BOM, ;")
            << QByteArray("\xEF\xBB\xBFNom;Prénom\nMartin;Léa\nN'Diaye;Zoé\n") << rows;
        QTest::newRow("Windows-1252, CR LF, ,")
            << QByteArray("Nom,Pr\xE9nom\r\n\r\nMartin,L\xE9\x61\r\n  \r\nN'Diaye,Zo\xE9\r\n") << rows;
        QTest::newRow("quotes, separator inside, doubled quote, line end")
            << QByteArray("\"Nom\";\"Prénom\"\n\"Martin; fille\";\"L\"\"éa\"\n\"A\nB\";C")
            << QList<QStringList>{{"Nom", "Prénom"}, {"Martin; fille", "L\"éa"}, {"A\nB", "C"}};
        QTest::newRow("commas win on the first line")
            << QByteArray("a,b,c;d\n1,2;3\n") << QList<QStringList>{{"a", "b", "c;d"}, {"1", "2;3"}};
    }
    void csvIsReadAsSchoolsWriteIt()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QList<QStringList>, rows);
        QCOMPARE(Csv::parse(bytes), rows);
        // What is written reads back as it was, with a BOM, ";" and a decimal comma.
        const QByteArray written =
            Csv::document(rows + QList<QStringList>{{Csv::number(12.5, 1), Csv::number(3)}});
        QVERIFY(written.startsWith("\xEF\xBB\xBF"));
        const QList<QStringList> expected = rows + QList<QStringList>{{"12,5", "3"}};
        QCOMPARE(Csv::parse(written), expected);
    }

    // The child's click names the pupil as Frappin reads it (and tst_eleve the names the store refuses).
    void pickerNamesThePupilForTheProgram()
    {
        Sandbox sandbox;
        QCOMPARE(ClassList::save({{"CE1 Léa", "Léa", "Martin"}, {"Zoé Petit", "Zoé", "Petit"}}), QString());
        ClassWindow window;
        window.findChild<QTabWidget *>()->setCurrentIndex(1);
        auto *face = window.findChild<QToolButton *>("visage-CE1 Léa");
        QVERIFY(face);
        face->click();
        QCOMPARE(Store::derniere(), QStringLiteral("CE1 Léa"));
        // No Frappin beside the tests: told, never a silent nothing.
        QCOMPARE(sandbox.messages.size(), 1);
        QVERIFY(sandbox.messages.first().text.contains("Frappin n'a pas pu être lancé"));
    }

    void classListIsImported_data()
    {
        QTest::addColumn<bool>("header");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("header skipped") << true << QStringList{"Léa MARTIN", "Zoé N'DIAYE"};
        QTest::newRow("no header") << false << QStringList{"Prénom Nom", "Léa MARTIN", "Zoé N'DIAYE"};
    }
    // The chosen columns, rows without both names, pupils already there and doubles left out; kept as saved.
    void classListIsImported()
    {
        QFETCH(bool, header);
        QFETCH(QStringList, names);
        Sandbox sandbox;
        const QList<QStringList> rows = Csv::parse(
            "Classe;Nom;Prénom\nCE1;MARTIN;Léa\nCE1;;Tom\nCE1;N'DIAYE;Zoé\nCE1;MARTIN;Léa\nCE1;DUBOIS;Hugo");
        const QList<ClassPupil> pupils =
            ClassList::import(rows, 2, 1, header, {{"Hugo DUBOIS", "Hugo", "DUBOIS"}});
        QStringList found;
        for (const ClassPupil &pupil : pupils)
            found.append(pupil.eleve);
        QCOMPARE(found, names);
        QCOMPARE(ClassList::save(pupils), QString());
        QCOMPARE(ClassList::load(), pupils);
        QCOMPARE(QFile::permissions(ClassList::path()) & 0x0077, QFileDevice::Permissions());
    }

    void classTableSumsUpTheHistory_data()
    {
        QTest::addColumn<QList<int>>("grades");
        QTest::addColumn<QStringList>("fields");
        QTest::newRow("none") << QList<int>{} << QStringList{"Léa", "0", "", "", ""};
        QTest::newRow("one") << QList<int>{12} << QStringList{"Léa", "1", "12", "12", ""};
        QTest::newRow("up by one") << QList<int>{12, 13}
                                   << QStringList{"Léa", "2", "13", "12,5", "en progrès"};
        QTest::newRow("last five against the five before")
            << QList<int>{2, 15, 15, 15, 15, 15, 14, 14, 14, 14, 14}
            << QStringList{"Léa", "11", "14", "14", "en baisse"};
        QTest::newRow("stable") << QList<int>{15, 14, 16, 15, 15, 15}
                                << QStringList{"Léa", "6", "15", "15", "stable"};
    }
    void classTableSumsUpTheHistory()
    {
        QFETCH(QList<int>, grades);
        QFETCH(QStringList, fields);
        QList<History::Record> records;
        for (int grade : grades)
            records.append({"Léa", {}, 60, grade, 20, 0, 1, "frappin.mot", {}});
        QCOMPARE(ClassList::tableFields(ClassList::summarise("Léa", records)), fields);
    }

    // Mistakes land on the keys that type the characters, as the hand guide finds them.
    void heatMapKeysComeFromTheKeyTable()
    {
        Sandbox sandbox;
        TextTable table;
        qint16 last = -1;
        QVERIFY(loadKeyTable(QStringLiteral(FRAPPIN_RESOURCES_DIR "/clavier.dat"), table, last));
        const int a = findKey(table, last, "a");
        const int e = findKey(table, last, "e");
        const int circumflex = findKey(table, last, "^");
        QVERIFY(a >= 0 && e >= 0 && circumflex >= 0);
        const QMap<int, int> keys =
            mistakesByKey(Faults{{"a", 2}, {"ê", 3}, {"A", 1}, {"œ", 5}}, table, last);
        QCOMPARE(keys.value(a), 3);
        QCOMPARE(keys.value(e), 3);
        QCOMPARE(keys.value(circumflex), 3);
        QCOMPARE(keys.value(KeyCaps::RightShift), 1); // "a" is struck by the left hand: Maj of the right
        QCOMPARE(keys.size(), 4);                     // "œ" cannot be typed: left out
    }
};

FRAPPIN_TEST_MAIN(TestHistory)
#include "tst_history.moc"
