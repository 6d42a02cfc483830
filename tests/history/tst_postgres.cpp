// The history on a PostgreSQL server shared by the classroom's computers: a real server of Debian's package,
// started here in a temporary folder, reached through TCP on 127.0.0.1 with TLS and passwords (~/.pgpass),
// set up with the README's own statements; and a relay of the test's own that loses what a school's network
// loses.

#include "history/history.h"
#include "history/serverlink.h"
#include "support/sandbox.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>
#include <QTimer>

#include <arpa/inet.h>
#include <atomic>
#include <poll.h>
#include <pwd.h>
#include <sys/socket.h>
#include <thread>
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
    return {
        pupil, Morning.addSecs(60 * minute), 60, 19, 20, 1, 1, "frappin.mot", {{"c", 1}, {"é", 1}}, {}, {},
        false, "03 rangée du bas.mot"};
}

void useServices(const QString &pupils, const QString &teacher)
{
    Store::write(Store::Configuration, Store::Resultats,
                 {{Store::Service, pupils}, {Store::ServiceEnseignant, teacher}});
}

// A socket connected to a port of 127.0.0.1, or, for port 0, listening on a port of the system's choice.
int localSocket(quint16 &port)
{
    const int end = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{AF_INET, htons(port), {htonl(INADDR_LOOPBACK)}, {}};
    socklen_t size = sizeof address;
    const auto at = reinterpret_cast<sockaddr *>(&address);
    if (port ? ::connect(end, at, size) != 0
             : bind(end, at, size) != 0 || listen(end, 16) != 0 || getsockname(end, at, &size) != 0)
        qFatal("127.0.0.1 is out of reach");
    port = ntohs(address.sin_port);
    return end;
}

// Between the program and the server: passes everything, or loses the packet that carries a COMMIT (and all
// after it), or the server's replies once a COMMIT went by, or everything (a network gone quiet). The
// kernel still acknowledges what the relay takes, as on a network whose loss is further on.
class Relay {
public:
    enum Mode { Pass, LoseCommit, LoseReply, Stall };
    std::atomic<Mode> mode = Pass;
    quint16 port = 0;

    explicit Relay(quint16 server) : m_listener(localSocket(port)), m_thread([this, server] { run(server); })
    {
    }
    ~Relay() { m_stop = true, m_thread.join(); }

private:
    struct Pair {
        int ends[2]; // the program's, the server's
        bool frozen = false;
        bool committed = false;
    };
    void run(quint16 server) // a copy: the test's thread may have moved on
    {
        std::vector<Pair> pairs;
        while (!m_stop) {
            std::vector<pollfd> watched{{m_listener, POLLIN, 0}};
            for (const Pair &pair : pairs)
                watched.insert(watched.end(), {{pair.ends[0], POLLIN, 0}, {pair.ends[1], POLLIN, 0}});
            if (poll(watched.data(), watched.size(), 50) <= 0)
                continue;
            for (std::size_t i = 0; i < pairs.size(); ++i) {
                for (int from = 0; from < 2; ++from) {
                    Pair &pair = pairs[i];
                    if (pair.ends[0] < 0 || !watched[1 + 2 * i + from].revents)
                        continue;
                    char bytes[65536];
                    const ssize_t size = read(pair.ends[from], bytes, sizeof bytes);
                    if (size <= 0) {
                        ::close(pair.ends[0]), ::close(pair.ends[1]);
                        pair.ends[0] = -1;
                        continue;
                    }
                    const bool commit = from == 0 && QByteArrayView(bytes, size).contains("COMMIT");
                    pair.frozen = pair.frozen || mode == Stall || (commit && mode == LoseCommit);
                    if (!pair.frozen && !(from == 1 && pair.committed && mode == LoseReply))
                        send(pair.ends[1 - from], bytes, size_t(size), MSG_NOSIGNAL);
                    pair.committed = pair.committed || commit;
                }
            }
            std::erase_if(pairs, [](const Pair &pair) { return pair.ends[0] < 0; });
            if (watched[0].revents)
                pairs.push_back({{accept(m_listener, nullptr, nullptr), localSocket(server)}});
        }
    }
    int m_listener;
    std::atomic<bool> m_stop = false;
    std::thread m_thread;
};

// A computer through the relay: a series ends, and Quitter comes while it is being sent. Prints how long the
// program took to end after Quitter, its post routines included.
int quitWhileSending(int argc, char *argv[])
{
    QElapsedTimer sinceQuit;
    {
        QCoreApplication app(argc, argv);
        useServices(QStringLiteral("relais"), QString());
        History::append(series(QStringLiteral("Partie"), 0));
        QTimer::singleShot(300, &app, [&sinceQuit] {
            sinceQuit.start();
            QCoreApplication::quit();
        });
        QCoreApplication::exec();
    }
    printf("%lld\n", sinceQuit.elapsed());
    return 0;
}

} // namespace

class TestPostgres : public QObject {
    Q_OBJECT
    QTemporaryDir m_folder;
    QString m_bin;
    quint16 m_port = 0;
    std::unique_ptr<Relay> m_relay;
    Sandbox m_sandbox; // the history's local folder and the settings of this computer

    // Runs a program, as "nobody" when the tests run as root (PostgreSQL refuses root).
    void run(const QString &program, const QStringList &arguments)
    {
        QProcess process;
        const bool root = geteuid() == 0;
        process.start(root ? "runuser" : program,
                      (root ? QStringList{"-u", "nobody", "--", program} : QStringList()) + arguments);
        QVERIFY2(process.waitForFinished(60000) && process.exitCode() == 0, process.readAllStandardError());
    }
    // The statements that went through, each on its own, with a service's role; the last one's first value
    // goes to value.
    static QStringList succeeded(const QString &service, const QStringList &statements,
                                 QString *value = nullptr)
    {
        QStringList done;
        QSqlDatabase db = QSqlDatabase::addDatabase("QPSQL", service);
        db.setConnectOptions("service=" + service);
        for (const QString &statement : statements) {
            QSqlQuery query(db);
            if (db.open() && query.exec(statement))
                done.append(statement);
            if (value && query.next())
                *value = query.value(0).toString();
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
        const auto writeFile = [this](const QString &name, const QString &text) {
            QFile file(m_folder.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) == text.toUtf8().size());
            file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        };
        writeFile("password", "pw-postgres\n");
        const passwd *nobody = getpwnam("nobody");
        for (const QString &path : {m_folder.path(), m_folder.filePath("password")})
            QVERIFY(geteuid() != 0 || chown(qPrintable(path), nobody->pw_uid, nobody->pw_gid) == 0);
        run("/usr/bin/openssl", {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                                 "-nodes", "-subj", "/CN=127.0.0.1", "-keyout",
                                 m_folder.filePath("server.key"), "-out", m_folder.filePath("server.crt")});
        QFile::setPermissions(m_folder.filePath("server.key"), QFile::ReadOwner | QFile::WriteOwner);
        run(m_bin + "/initdb",
            {"-D", m_folder.filePath("data"), "-U", "postgres", "-A", "scram-sha-256", "--pwfile",
             m_folder.filePath("password"), "-E", "UTF8", "--no-locale", "--no-sync"});
        ::close(localSocket(m_port));
        run(m_bin + "/pg_ctl",
            {"-D", m_folder.filePath("data"), "-l", m_folder.filePath("log"), "-w", "start", "-o",
             QStringLiteral("-c listen_addresses=127.0.0.1 -p %1 -c fsync=off -k %2 -c ssl=on"
                            " -c ssl_cert_file=%2/server.crt -c ssl_key_file=%2/server.key")
                 .arg(m_port)
                 .arg(m_folder.path())});
        m_relay = std::make_unique<Relay>(m_port);
        // The README's services (TLS asked for) and ~/.pgpass; the relay's service in clear, so that it
        // sees the COMMIT, and one whose password is missing.
        QString services, passwords;
        for (const QString service :
             {"postgres postgres", "postgres-frappin postgres", "frappin-proprietaire frappin",
              "frappin frappin_eleve", "frappin-enseignant frappin_enseignant", "relais frappin_eleve",
              "sans-mot-de-passe frappin_eleve"}) {
            const QString name = service.section(u' ', 0, 0);
            services += QStringLiteral("[%1]\nhost=127.0.0.1\nport=%2\ndbname=%3\nuser=%4\nsslmode=%5\n%6")
                            .arg(name)
                            .arg(name == "relais" ? m_relay->port : m_port)
                            .arg(name == "postgres" ? "postgres" : "frappin", service.section(u' ', 1),
                                 name == "relais" ? "disable" : "require",
                                 name == "sans-mot-de-passe" ? "passfile=/aucun\n" : "");
        }
        for (const QString role : {"postgres", "frappin", "frappin_eleve", "frappin_enseignant"})
            passwords += QStringLiteral("127.0.0.1:*:*:%1:pw-%1\n").arg(role);
        writeFile("pg_service.conf", services);
        writeFile("pgpass", passwords);
        qputenv("PGSERVICEFILE", m_folder.filePath("pg_service.conf").toLocal8Bit());
        qputenv("PGPASSFILE", m_folder.filePath("pgpass").toLocal8Bit());
        // The three accounts (createuser --pwprompt), then the README's statements as the superuser.
        const QStringList roles = {"CREATE ROLE frappin LOGIN PASSWORD 'pw-frappin'",
                                   "CREATE ROLE frappin_eleve LOGIN PASSWORD 'pw-frappin_eleve'",
                                   "CREATE ROLE frappin_enseignant LOGIN PASSWORD 'pw-frappin_enseignant'"};
        QCOMPARE(succeeded("postgres", roles), roles);
        QFile readme(QFINDTESTDATA("../../README.md"));
        QVERIFY(readme.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(readme.readAll());
        const QString opening = "sudo -u postgres psql <<'FIN'\n";
        const qsizetype from = text.indexOf(opening) + opening.size();
        QStringList statements[2]; // before and after "\c frappin", which enters the school's database
        int part = 0;
        for (const QString &line : text.mid(from, text.indexOf("\nFIN\n", from) - from).split('\n')) {
            if (line == "\\c frappin")
                part = 1;
            else if (!line.startsWith("--"))
                statements[part].append(line);
        }
        QVERIFY(statements[0].size() >= 3 && statements[1].size() == 2);
        QCOMPARE(succeeded("postgres", statements[0]), statements[0]);
        QCOMPARE(succeeded("postgres-frappin", statements[1]), statements[1]);
        // A school's server of the previous version, with a series that the checks would now refuse.
        const QStringList previous = {
            "CREATE TABLE serie (uuid TEXT NOT NULL PRIMARY KEY, eleve TEXT NOT NULL, debut TEXT NOT NULL,"
            " duree DOUBLE PRECISION NOT NULL, note INTEGER NOT NULL, caracteres BIGINT NOT NULL,"
            " fautes BIGINT NOT NULL, niveau INTEGER NOT NULL, liste TEXT NOT NULL)",
            "CREATE TABLE faute (serie TEXT NOT NULL REFERENCES serie(uuid) ON DELETE CASCADE, caractere TEXT"
            " NOT NULL, nombre INTEGER NOT NULL, PRIMARY KEY (serie, caractere))",
            "COMMENT ON TABLE serie IS '2'",
            "INSERT INTO serie VALUES ('ancienne', 'Ancien', '2025-01-06T09:00:00Z', 60, 99, 20, 0, 1, 'l')"};
        QCOMPARE(succeeded("frappin-proprietaire", previous), previous);
        // Only the owner prepares the tables (twice changes nothing), and the others are told so.
        QStringList unseen = {"?"};
        QCOMPARE(History::prepareServer("frappin-proprietaire", &unseen), QString());
        QCOMPARE(unseen, QStringList());
        QCOMPARE(History::prepareServer("frappin-proprietaire"), QString());
        for (const QString service : {"frappin", "frappin-enseignant"})
            QVERIFY(History::prepareServer(service).contains("pas le propriétaire"));
        useServices(QString(), "frappin-enseignant");
        QCOMPARE(History::records("Ancien").size(), 1);
    }
    void cleanupTestCase()
    {
        m_relay.reset();
        if (!m_bin.isEmpty())
            run(m_bin + "/pg_ctl", {"-D", m_folder.filePath("data"), "-m", "immediate", "stop"});
    }

    // A series is added by the pupils' role and read back by the teacher's, with where it came from; the
    // teacher may hide it, and neither may do more.
    void rolesShareOneHistory()
    {
        useServices("frappin", "frappin-enseignant");
        History::Record dictated = series("Léa", 0);
        dictated.dictee = true;
        QCOMPARE(History::append(dictated), QString());
        History::waitForSending();
        QCOMPARE(History::localRecords(), QList<History::Record>());
        const QList<History::Record> read = History::records("Léa");
        QCOMPARE(read.size(), 1);
        QCOMPARE(History::csvFields(read.first()), History::csvFields(dictated));
        QCOMPARE(read.first().lesson, dictated.lesson);
        QVERIFY2(read.first().computer.endsWith(" 127.0.0.1"), qPrintable(read.first().computer));
        QCOMPARE(succeeded("frappin", {"SELECT 1", "SELECT * FROM serie", "SELECT * FROM faute",
                                       "UPDATE serie SET masquee = true", "DELETE FROM faute"}),
                 QStringList{"SELECT 1"});
        QCOMPARE(succeeded("frappin-enseignant",
                           {"SELECT 1", "DELETE FROM serie", "UPDATE serie SET note = 20",
                            "INSERT INTO serie VALUES ('u', 'Tom', 'd', 1, 1, 1, 1, 1, 'l')"}),
                 QStringList{"SELECT 1"});
        QCOMPARE(History::records().size(), 2); // nothing of the above went through
        QCOMPARE(History::hide(read.first().uuid), QString());
        QCOMPARE(History::records("Léa"), QList<History::Record>());
        QString kept; // and kept, marked
        QCOMPARE(succeeded("frappin-proprietaire", {"SELECT uuid FROM serie WHERE masquee"}, &kept).size(),
                 1);
        QCOMPARE(kept, read.first().uuid);
    }

    // Whatever the network loses, the program ends within a second of Quitter, the sender gives up within
    // its bounds, and every series arrives later, exactly once.
    void lostPacketsHoldNothingUp_data()
    {
        QTest::addColumn<int>("mode");
        QTest::newRow("a COMMIT lost") << int(Relay::LoseCommit);
        QTest::newRow("the reply to COMMIT lost") << int(Relay::LoseReply);
        QTest::newRow("a network gone quiet") << int(Relay::Stall);
    }
    void lostPacketsHoldNothingUp()
    {
        QFETCH(int, mode);
        useServices(QString(), "frappin-enseignant");
        const int before = History::records("Partie").size();
        m_relay->mode = Relay::Mode(mode);
        QProcess computer;
        computer.start(QCoreApplication::applicationFilePath(), {"--quitter"});
        QVERIFY(computer.waitForFinished(30000) && computer.exitCode() == 0);
        useServices("relais", "frappin-enseignant");
        const qint64 quit = computer.readAllStandardOutput().trimmed().toLongLong();
        QVERIFY2(quit < 1000, qPrintable(QString::number(quit)));
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(History::append(series("Partie", 1)), QString());
        QElapsedTimer reading; // while the sender is held up
        reading.start();
        QCOMPARE(History::serverLesson("Partie"), QString());  // its series waits here
        QCOMPARE(History::serverLesson("Nouveau"), QString()); // asked in the background
        QVERIFY(reading.elapsed() < History::Link::ConnectBound);
        History::waitForSending();
        const qint64 gaveUp = clock.elapsed();
        QVERIFY(gaveUp < History::Link::ConnectBound + History::Link::ReplyBound + 2000);
        QCOMPARE(History::localRecords("Partie").size(), 2);
        qInfo("quit %lld ms after Quitter; the sender gave up after %lld ms", quit, gaveUp);
        m_relay->mode = Relay::Pass;
        QCOMPARE(History::append(series("Partie", 2)), QString());
        History::waitForSending();
        QCOMPARE(History::localRecords(), QList<History::Record>());
        QCOMPARE(History::records("Partie").size(), before + 3);
        QCOMPARE(History::serverLesson("Partie"), series("Partie", 2).lesson);
    }

    // The pupils' role learns a pupil's lesson, the latest of their series' (hidden ones left out) and the
    // teacher's moves, through a function that tells nothing else; the teacher may only add a move.
    void lessonFollowsThePupil()
    {
        useServices("frappin", "frappin-enseignant");
        const auto lessonOnServer = [](const char *pupil) {
            QString lesson;
            succeeded("frappin", {QStringLiteral("SELECT lecon_eleve('%1')").arg(pupil)}, &lesson);
            return lesson;
        };
        // A series of Zoé's ending a given number of minutes from now, on a lesson.
        const auto typed = [](int minutes, const char *lesson) {
            History::Record record = series("Zoé", 0);
            record.start = QDateTime::currentDateTimeUtc().addSecs(60 * minutes - 60);
            record.lesson = lesson;
            QCOMPARE(History::append(record), QString());
            History::waitForSending();
        };
        typed(-60, "02.mot");
        QCOMPARE(History::serverLesson("Zoé"), "02.mot");
        QCOMPARE(lessonOnServer("%"), QString());
        QCOMPARE(succeeded("frappin", {"SELECT * FROM lecon_choisie", "INSERT INTO lecon_choisie VALUES"
                                                                      " ('Zoé', '09.mot', now())"}),
                 QStringList());
        QCOMPARE(succeeded("frappin-enseignant",
                           {"SELECT lecon_eleve('Zoé')", "DELETE FROM lecon_choisie",
                            "UPDATE lecon_choisie SET"
                            " lecon = '09.mot'",
                            "INSERT INTO lecon_choisie VALUES ('Zoé', '09.mot', 'infinity')"}),
                 QStringList());
        QCOMPARE(History::moveLessonOnServer("Zoé", "05.mot"), QString());
        typed(-30, "03.mot"); // typed before the move, sent after it
        QCOMPARE(History::serverLesson("Zoé"), "05.mot");
        // A copy of the previous version sends no lesson.
        const QString previous = "INSERT INTO serie (uuid, eleve, debut, duree, note, caracteres, fautes,"
                                 " niveau, liste, poste, dictee) VALUES ('v4', 'Zoé', '" +
                                 QDateTime::currentDateTimeUtc().addSecs(-10).toString(Qt::ISODate) +
                                 "', 60, 20, 20, 0, 1, 'l', 'p', false)";
        QCOMPARE(succeeded("frappin", {previous}), QStringList{previous});
        QCOMPARE(lessonOnServer("Zoé"), "05.mot");
        typed(1, "06.mot");
        QCOMPARE(History::serverLesson("Zoé"), "06.mot");
        QCOMPARE(History::hide(History::records("Zoé").last().uuid), QString());
        QCOMPARE(lessonOnServer("Zoé"), "05.mot");
        // A pupil who worked on another computer only: asked at the first reading, known at the next.
        const QString elsewhere = "INSERT INTO serie (uuid, eleve, debut, duree, note, caracteres, fautes,"
                                  " niveau, liste, lecon) VALUES ('ailleurs', 'Ailleurs', '" +
                                  QDateTime::currentDateTimeUtc().toString(Qt::ISODate) +
                                  "', 60, 20, 20, 0, 1, 'l', '07.mot')";
        QCOMPARE(succeeded("frappin", {elsewhere}), QStringList{elsewhere});
        QCOMPARE(History::serverLesson("Ailleurs"), QString());
        History::waitForSending();
        QCOMPARE(History::serverLesson("Ailleurs"), "07.mot");
    }

    // Another computer with the pupils' password, reading what the server shows of the sessions while one
    // sends, sees no pupil's name, even with the statements tracked (the README turns them off).
    void nothingLeaksToOtherPupils()
    {
        useServices("frappin", "frappin-enseignant");
        const QString setting = "ALTER ROLE frappin_eleve SET track_activities = on";
        QCOMPARE(succeeded("postgres", {setting}), QStringList{setting});
        QSqlDatabase owner = QSqlDatabase::addDatabase("QPSQL", "verrou");
        owner.setConnectOptions("service=postgres-frappin");
        QVERIFY(owner.open() && owner.transaction() &&
                QSqlQuery(owner).exec("LOCK TABLE serie IN SHARE MODE"));
        QCOMPARE(History::append(series("Secrète Dupont", 0)), QString());
        QString waiting, seen; // until the series is being sent
        QTRY_VERIFY((succeeded("postgres", {"SELECT count(*) FROM pg_locks WHERE NOT granted"}, &waiting),
                     waiting == "1"));
        QCOMPARE(
            succeeded(
                "frappin",
                {"SELECT string_agg(concat_ws(' ', query, application_name), ' ') FROM pg_stat_activity"},
                &seen)
                .size(),
            1);
        QVERIFY2(!seen.contains("Dupont"), qPrintable(seen));
        owner.rollback();
        owner = QSqlDatabase();
        QSqlDatabase::removeDatabase("verrou");
        History::waitForSending();
        QCOMPARE(History::localRecords(), QList<History::Record>());
    }

    // The server refuses what no series can be; a series of a child who made many mistakes is kept.
    void impossibleSeriesAreRefused_data()
    {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<bool>("kept");
        const QString now = QDateTime::currentDateTimeUtc().toString(Qt::ISODate);
        // A series of Tom's: its identifier, then its start, duration, grade, characters, mistakes, level.
        const auto series = [&](const char *id, const char *values) {
            return QStringLiteral("INSERT INTO serie VALUES ('%1', 'Tom', %2, 'l', 'p')")
                .arg(id, QString(values).replace("now", now));
        };
        // clang-format off
        QTest::newRow("grade below 0, many mistakes") << series("v1", "'now', 60, -5, 20, 25, 1") << true;
        QTest::newRow("grade not its mistakes'")      << series("v2", "'now', 60, -5, 20, 1, 1") << false;
        QTest::newRow("level 99")                     << series("v4", "'now', 60, 20, 20, 0, 99") << false;
        QTest::newRow("6,000 characters a minute")    << series("v6", "'now', 60, 20, 6000, 0, 1") << false;
        QTest::newRow("not a date")                   << series("v7", "'pas une date', 60, 20, 20, 0, 1") << false;
        QTest::newRow("a date to come")               << series("v8", "'2099-01-01T00:00:00Z', 60, 20, 20, 0, 1") << false;
        QTest::newRow("mistakes of a series")         << "INSERT INTO faute VALUES ('v1', 'a', 25)" << true;
        QTest::newRow("1,000,000 mistakes on a")      << "INSERT INTO faute VALUES ('v1', 'e', 1000000)" << false;
        // clang-format on
    }
    void impossibleSeriesAreRefused()
    {
        QFETCH(QString, statement);
        QFETCH(bool, kept);
        QCOMPARE(succeeded("frappin", {statement}).size(), int(kept));
    }

    // A computer whose series cannot be sent for another reason than an absent server says why, and a
    // refused series never holds the others back.
    void waitingSeriesAreTold_data()
    {
        QTest::addColumn<QString>("service");
        QTest::addColumn<int>("forged");
        QTest::addColumn<QString>("reason");
        QTest::newRow("a refused series")
            << "frappin" << 20 << "^1 série attend sur ce poste : .* valeurs impossibles";
        QTest::newRow("no password") << "sans-mot-de-passe" << 0
                                     << "^2 séries attendent .* ou son mot de passe";
    }
    void waitingSeriesAreTold()
    {
        QFETCH(QString, service);
        QFETCH(int, forged);
        QFETCH(QString, reason);
        useServices(service, "frappin-enseignant");
        History::Record refused = series(service, 0);
        refused.mistakes = forged;
        QCOMPARE(History::append(refused), QString());
        QCOMPARE(History::append(series(service, 1)), QString());
        History::waitForSending();
        QVERIFY2(History::waiting().contains(QRegularExpression(reason)), qPrintable(History::waiting()));
        QCOMPARE(History::records(service).size(), forged ? 1 : 0);
        QFile::remove(History::databasePath());
        QCOMPARE(History::waiting(), QString());
    }
};

int main(int argc, char *argv[])
{
    // The computer that quits shares the test's folders: what it leaves waiting is the test's to send.
    if (argc == 2 && qstrcmp(argv[1], "--quitter") == 0)
        return quitWhileSending(argc, argv);
    TestSupport::prepareProcess();
    QCoreApplication app(argc, argv);
    TestPostgres test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_postgres.moc"
