// The history on a PostgreSQL server shared by the classroom's computers: a real server of Debian's package,
// started here in a temporary folder and reached through a Unix socket only, with the roles a school sets up.

#include "history/history.h"
#include "support/sandbox.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

#include <pwd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// The server's programs of the newest PostgreSQL installed, or nothing.
QString serverPrograms()
{
    const QDir versions(QStringLiteral("/usr/lib/postgresql"));
    for (const QString &version :
         versions.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::Reversed)) {
        if (QFile::exists(versions.filePath(version + "/bin/initdb")))
            return versions.filePath(version + "/bin");
    }
    return {};
}

const QDateTime Morning(QDate(2026, 12, 7), QTime(10, 0), Qt::UTC);

History::Record series(const QString &pupil, int minute)
{
    return {pupil, Morning.addSecs(60 * minute), 60, 19, 20, 1, 1, "frappin.mot", {{"c", 1}, {"é", 2}}};
}

void useServices(const QString &pupils, const QString &teacher)
{
    Store::write(Store::Configuration, Store::Resultats, Store::Service, pupils);
    Store::write(Store::Configuration, Store::Resultats, Store::ServiceEnseignant, teacher);
}

// One of ten computers: twenty series, each sent when it ends. Exit status 0 when none is left unsent.
int writeSeries(const QString &computer)
{
    useServices(QStringLiteral("eleve"), QString());
    for (int minute = 0; minute < 20; ++minute) {
        if (!History::append(series(QStringLiteral("Élève ") + computer, minute)).isEmpty())
            return 1;
        History::waitForSending();
    }
    return History::localRecords().isEmpty() ? 0 : 2;
}

} // namespace

class TestPostgres : public QObject {
    Q_OBJECT
    QTemporaryDir m_folder;
    QString m_bin;
    Sandbox m_sandbox; // the history's local folder and the settings of this computer

    // Runs a server program, as "nobody" when the tests run as root (PostgreSQL refuses root).
    void run(const QString &program, const QStringList &arguments)
    {
        QProcess process;
        const bool root = geteuid() == 0;
        process.start(root ? "runuser" : m_bin + program,
                      (root ? QStringList{"-u", "nobody", "--", m_bin + program} : QStringList()) +
                          arguments);
        QVERIFY2(process.waitForFinished(60000) && process.exitCode() == 0, process.readAllStandardError());
    }
    void startServer()
    {
        run("/pg_ctl", {"-D", m_folder.filePath("data"), "-l", m_folder.filePath("log"), "-w", "start", "-o",
                        "-c listen_addresses='' -c fsync=off -k " + m_folder.path()});
    }
    // The statements that went through, each on its own, with a service's role.
    static QStringList succeeded(const QString &service, const QStringList &statements)
    {
        QStringList done;
        QSqlDatabase db = QSqlDatabase::addDatabase("QPSQL", service);
        db.setConnectOptions("service=" + service);
        for (const QString &statement : statements) {
            if (db.open() && QSqlQuery(db).exec(statement))
                done.append(statement);
        }
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(service);
        return done;
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_bin = serverPrograms();
        if (m_bin.isEmpty())
            QSKIP("PostgreSQL's server (Debian's postgresql package) is not installed");
        QVERIFY(QSqlDatabase::isDriverAvailable("QPSQL"));
        const passwd *nobody = getpwnam("nobody");
        QVERIFY(geteuid() != 0 || chown(qPrintable(m_folder.path()), nobody->pw_uid, nobody->pw_gid) == 0);
        run("/initdb", {"-D", m_folder.filePath("data"), "-U", "postgres", "-A", "trust", "-E", "UTF8",
                        "--no-locale", "--no-sync"});
        startServer();
        QFile services(m_folder.filePath("pg_service.conf"));
        QVERIFY(services.open(QIODevice::WriteOnly));
        for (const QString role : {"postgres", "frappin", "eleve", "enseignant"})
            services.write(QStringLiteral("[%1]\nhost=%2\ndbname=%3\nuser=%1\n")
                               .arg(role, m_folder.path(), role == "postgres" ? "postgres" : "frappin")
                               .toUtf8());
        // A socket that takes connections and never answers: a server gone quiet.
        QDir(m_folder.path()).mkdir("muet");
        services.write(QStringLiteral("[muet]\nhost=%1/muet\n").arg(m_folder.path()).toUtf8());
        services.close();
        qputenv("PGSERVICEFILE", services.fileName().toLocal8Bit());
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        qstrncpy(address.sun_path, qPrintable(m_folder.filePath("muet/.s.PGSQL.5432")),
                 sizeof address.sun_path);
        const int quiet = socket(AF_UNIX, SOCK_STREAM, 0);
        QVERIFY(bind(quiet, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0 &&
                listen(quiet, 8) == 0);
        // The roles of the school's set-up (README): the owner creates the tables, pupils add, the teacher
        // reads.
        const QStringList roles = {"CREATE ROLE frappin LOGIN", "CREATE ROLE eleve LOGIN",
                                   "CREATE ROLE enseignant LOGIN", "CREATE DATABASE frappin OWNER frappin"};
        QCOMPARE(succeeded("postgres", roles), roles);
        const QStringList grants = {"ALTER DEFAULT PRIVILEGES GRANT INSERT ON TABLES TO eleve",
                                    "ALTER DEFAULT PRIVILEGES GRANT SELECT ON TABLES TO enseignant"};
        QCOMPARE(succeeded("frappin", grants), grants);
        // Only a role that may create tables creates them: the owner, not the pupils'.
        QVERIFY(History::prepareServer("eleve").contains("n'en a pas le droit"));
        QCOMPARE(History::prepareServer("frappin"), QString());
        QCOMPARE(History::prepareServer("frappin"), QString());
    }
    void cleanupTestCase()
    {
        if (!m_bin.isEmpty())
            run("/pg_ctl", {"-D", m_folder.filePath("data"), "-m", "immediate", "stop"});
    }

    // A series is added by the pupils' role and read back by the teacher's; neither may do more.
    void rolesShareOneHistory()
    {
        useServices("eleve", "enseignant");
        QCOMPARE(History::append(series("Léa", 0)), QString());
        History::waitForSending();
        QCOMPARE(History::localRecords(), QList<History::Record>());
        const QList<History::Record> read = History::records("Léa");
        QCOMPARE(read.size(), 1);
        QCOMPARE(History::csvFields(read.first()), History::csvFields(series("Léa", 0)));
        QCOMPARE(succeeded("eleve", {"SELECT 1", "SELECT * FROM serie", "SELECT * FROM faute",
                                     "UPDATE serie SET note = 20", "DELETE FROM faute"}),
                 QStringList{"SELECT 1"});
        QCOMPARE(succeeded("enseignant", {"SELECT 1", "DELETE FROM serie", "UPDATE serie SET note = 20",
                                          "INSERT INTO serie VALUES ('u', 'Tom', 'd', 1, 1, 1, 1, 1, 'l')"}),
                 QStringList{"SELECT 1"});
        QCOMPARE(History::records().size(), 1); // nothing of the above went through
    }

    // A quiet server never holds the series up; a stopped one loses nothing: the series waits on the computer
    // and is sent when the server is back, once, even when it is sent again.
    void absentServerLosesNothing()
    {
        useServices("muet", "enseignant");
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(History::append(series("Tom", 1)), QString());
        History::waitForSending();
        QVERIFY(clock.elapsed() < 30000); // a hang bound: libpq gives this server up after 3 seconds
        QCOMPARE(History::localRecords().size(), 1);
        useServices("eleve", "enseignant");
        run("/pg_ctl", {"-D", m_folder.filePath("data"), "-m", "fast", "-w", "stop"});
        QCOMPARE(History::append(series("Tom", 2)), QString());
        History::waitForSending();
        const QList<History::Record> kept = History::localRecords("Tom");
        QCOMPARE(kept.size(), 2);
        startServer();
        QCOMPARE(History::writePending(), QString()); // the next start
        History::waitForSending();
        QCOMPARE(History::localRecords(), QList<History::Record>());
        QCOMPARE(History::records("Tom"), kept);
        // Sent, but the computer stopped before it could forget them: sent again, stored once.
        for (const History::Record &record : kept)
            QCOMPARE(History::append(record), QString());
        History::waitForSending();
        QCOMPARE(History::localRecords(), QList<History::Record>());
        QCOMPARE(History::records("Tom"), kept);
    }

    // Ten computers, each sending twenty series one by one, at the same time: every series is kept.
    void tenComputersAtOnce()
    {
        useServices(QString(), "enseignant");
        const int before = History::records().size();
        QProcess computers[10];
        for (int computer = 0; computer < 10; ++computer)
            computers[computer].start(QCoreApplication::applicationFilePath(),
                                      {"--writer", QString::number(computer)});
        for (QProcess &computer : computers)
            QVERIFY(computer.waitForFinished(60000) && computer.exitCode() == 0);
        QCOMPARE(History::records().size(), before + 200);
        QCOMPARE(History::records("Élève 7").size(), 20);
    }
};

int main(int argc, char *argv[])
{
    TestSupport::prepareProcess();
    QCoreApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--writer") == 0)
        return writeSeries(QString::fromLatin1(argv[2]));
    TestPostgres test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_postgres.moc"
