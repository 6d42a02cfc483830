#include "history/history.h"

#include "common/platform.h"
#include "common/savefile.h"
#include "history/csv.h"
#include "history/serverlink.h"
#include "settings/store.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QMutex>
#include <QRegularExpression>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QThread>
#include <QUuid>
#include <QWaitCondition>

#include <algorithm>
#include <atomic>
#include <limits>
#include <optional>

namespace {

constexpr QFileDevice::Permissions OwnerOnlyFile = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
constexpr QFileDevice::Permissions OwnerOnlyFolder =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;

// A local lock held by another program is waited for this long at most on the pupil's path (the end of a
// series must not wait); the sender, off that path, waits longer.
constexpr int PupilBusyTimeout = 150;
constexpr int SenderBusyTimeout = 2000;

// The teacher's reading and the owner's preparing go through Qt's driver: libpq bounds the wait for an
// absent server (connect_timeout, seconds) or a network gone quiet (tcp_user_timeout, milliseconds, and the
// keep-alives); the server ends a statement kept waiting. The series themselves are sent by serverlink.cpp.
const QString ServerOptions = QStringLiteral(
    "connect_timeout=3;keepalives_idle=5;keepalives_interval=2;keepalives_count=2;tcp_user_timeout=10000");
constexpr int StatementTimeoutMs = 10000;

// When the program ends, a send under way is given this long to finish before it is stopped.
constexpr int SendingGrace = 400;

// The server's tables from the local schema on: what the server sees of each series (the computer's name it
// gives, the address it comes from, when it came), the teacher's mark on a series hidden, and the values no
// series can have refused. The checks follow how a series is counted: every wrong keystroke is a mistake
// (the grade can fall below 0), a key held down repeats 30 times a second and a word can be pasted, so the
// keystrokes are bounded at 50 a second. Checks are NOT VALID: the rows of an existing school are kept as
// they are. The date is checked by the trigger, against the server's clock with a day of margin for a
// computer whose clock or time zone is wrong.
const QStringList ServerUpgrade = {
    QStringLiteral(
        "ALTER TABLE serie ADD COLUMN poste TEXT, ADD COLUMN adresse INET, ADD COLUMN recue TIMESTAMPTZ,"
        " ADD COLUMN masquee BOOLEAN NOT NULL DEFAULT false"),
    QStringLiteral(
        "ALTER TABLE serie ADD CONSTRAINT serie_valeurs CHECK (note <= 20 AND niveau BETWEEN 1 AND 3"
        " AND caracteres BETWEEN 0 AND 1000000 AND fautes BETWEEN 0 AND 10000000"
        " AND duree BETWEEN 0 AND 604800 AND caracteres + fautes <= 50 * duree + 200"
        " AND note = 20 - floor(fautes::float8 / GREATEST(caracteres, 1)::float8 * 20)"
        " AND char_length(eleve) BETWEEN 1 AND 200 AND char_length(liste) <= 1000"
        " AND char_length(poste) <= 255) NOT VALID"),
    QStringLiteral("ALTER TABLE faute ADD CONSTRAINT faute_valeurs CHECK (nombre BETWEEN 1 AND 10000000"
                   " AND char_length(caractere) BETWEEN 1 AND 2) NOT VALID"),
    QStringLiteral(
        "CREATE FUNCTION serie_recue() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN"
        " NEW.adresse := inet_client_addr(); NEW.recue := now(); NEW.masquee := false;"
        " IF NEW.debut::timestamptz > now() + interval '1 day' THEN"
        " RAISE EXCEPTION 'série datée de l''avenir : %', NEW.debut USING ERRCODE = 'check_violation';"
        " END IF; RETURN NEW; END $$"),
    QStringLiteral(
        "CREATE TRIGGER serie_recue BEFORE INSERT ON serie FOR EACH ROW EXECUTE FUNCTION serie_recue()"),
    // The pupils' role cannot read a series: the function reads it with its owner's rights.
    QStringLiteral("CREATE FUNCTION faute_verifiee() RETURNS trigger LANGUAGE plpgsql SECURITY DEFINER"
                   " SET search_path FROM CURRENT AS $$ BEGIN"
                   " IF NEW.nombre > (SELECT fautes FROM serie WHERE uuid = NEW.serie) THEN"
                   " RAISE EXCEPTION 'plus de fautes sur un caractère que dans la série'"
                   " USING ERRCODE = 'check_violation'; END IF; RETURN NEW; END $$"),
    QStringLiteral("CREATE TRIGGER faute_verifiee BEFORE INSERT ON faute FOR EACH ROW"
                   " EXECUTE FUNCTION faute_verifiee()"),
};

// Version 4: a dictated series is marked. IF NOT EXISTS: a preparing stopped half-way is run again whole.
const QString ServerDictee =
    QStringLiteral("ALTER TABLE serie ADD COLUMN IF NOT EXISTS dictee BOOLEAN NOT NULL DEFAULT false");
// Local version 3, the same mark; the series written before it were not dictated.
const QString LocalDictee =
    QStringLiteral("ALTER TABLE serie ADD COLUMN dictee BOOLEAN NOT NULL DEFAULT false");
// Local version 4: the pupil's lesson after the series, with the path on; the series before it had none.
const QString LocalLesson = QStringLiteral("ALTER TABLE serie ADD COLUMN lecon TEXT");

// The pupils' lessons on the server, added to version 4 in a way its copies keep sending through (a column
// they leave empty, a table and a function they never use); each statement may run again. The pupils' role
// cannot read a series: it learns a lesson, and only that, from a function that reads with its owner's
// rights, for a name it already knows (no pattern, no list). The lesson is the one of the pupil's latest
// series that has one (the teacher's hidden series left out), or the teacher's move if that came later (a
// move is dated by the server, a series by its end on the computer: a series typed before the move and
// sent after it does not undo it). The function's search_path is the tables' schema then pg_temp, so that no
// other session's object can stand in for a table.
const QStringList ServerLessons = {
    QStringLiteral(
        "ALTER TABLE serie ADD COLUMN IF NOT EXISTS lecon TEXT CHECK (char_length(lecon) <= 1000)"),
    QStringLiteral("CREATE TABLE IF NOT EXISTS lecon_choisie (eleve TEXT NOT NULL CHECK"
                   " (char_length(eleve) BETWEEN 1 AND 200), lecon TEXT NOT NULL CHECK"
                   " (char_length(lecon) BETWEEN 1 AND 1000), quand TIMESTAMPTZ NOT NULL DEFAULT now())"),
    QStringLiteral("CREATE INDEX IF NOT EXISTS lecon_choisie_eleve ON lecon_choisie (eleve, quand)"),
    QStringLiteral(
        "DO $do$ BEGIN EXECUTE format($f$CREATE OR REPLACE FUNCTION lecon_eleve(nom text) RETURNS text"
        " LANGUAGE sql STABLE SECURITY DEFINER SET search_path = %I, pg_temp AS $b$"
        " SELECT l.lecon FROM ((SELECT lecon, debut::timestamptz + duree * interval '1 second' AS fin"
        " FROM serie WHERE eleve = nom AND lecon IS NOT NULL AND NOT masquee ORDER BY fin DESC LIMIT 1)"
        " UNION ALL (SELECT lecon, quand FROM lecon_choisie WHERE eleve = nom ORDER BY quand DESC LIMIT 1))"
        " AS l ORDER BY l.fin DESC LIMIT 1 $b$$f$, (SELECT n.nspname FROM pg_class c JOIN pg_namespace n"
        " ON n.oid = c.relnamespace WHERE c.oid = to_regclass('serie'))); END $do$"),
    QStringLiteral("REVOKE ALL ON FUNCTION lecon_eleve(text) FROM PUBLIC"),
};

// What the owner sets at each preparing, for the roles found by their rights on the table: the teacher's
// (who may read) may hide a series and move a pupil to a lesson (add a row of lecon_choisie, dated by the
// server); the pupils' (who may only add) may ask a pupil's lesson; nobody else may add a move, whatever the
// owner's default privileges gave. Every session of the database is ended when it waits, idle, inside a
// transaction (so that a COMMIT lost on the network never keeps rows locked), or when a statement runs too
// long. A role that is not the owner of the tables stops at the first statement (OwnerOnly), and is told.
const QString OwnerOnly =
    QStringLiteral("DO $$ BEGIN IF NOT pg_has_role(current_user, (SELECT relowner FROM pg_class"
                   " WHERE oid = to_regclass('serie')), 'USAGE') THEN RAISE EXCEPTION"
                   " 'must be owner of table serie'; END IF; END $$");
const QStringList ServerSettings = {
    QStringLiteral("DO $$ DECLARE r name; BEGIN FOR r IN SELECT rolname FROM pg_roles WHERE NOT rolsuper"
                   " AND rolname !~ '^pg_' AND NOT pg_has_role(rolname, (SELECT relowner FROM pg_class"
                   " WHERE oid = to_regclass('serie')), 'USAGE') LOOP"
                   " EXECUTE format('REVOKE INSERT, UPDATE, DELETE, TRUNCATE ON lecon_choisie FROM %I', r);"
                   " IF has_table_privilege(r, 'serie', 'SELECT') THEN"
                   " EXECUTE format('GRANT UPDATE (masquee) ON serie TO %I', r);"
                   " EXECUTE format('GRANT INSERT (eleve, lecon) ON lecon_choisie TO %I', r);"
                   " ELSIF has_table_privilege(r, 'serie', 'INSERT') THEN"
                   " EXECUTE format('GRANT EXECUTE ON FUNCTION lecon_eleve(text) TO %I', r);"
                   " END IF; END LOOP; END $$"),
    QStringLiteral(
        "DO $$ BEGIN EXECUTE format('ALTER DATABASE %I SET idle_in_transaction_session_timeout = %L',"
        " current_database(), '%1ms'); EXECUTE format('ALTER DATABASE %I SET statement_timeout = %L',"
        " current_database(), '%2ms'); END $$")
        .arg(History::Link::IdleInTransactionTimeout)
        .arg(StatementTimeoutMs),
};

// The same tables on both engines (SQLite takes PostgreSQL's type names by affinity). A series is known by
// its identifier, so that a role that may only add rows needs no row it cannot read.
const QStringList Schema = {
    QStringLiteral("CREATE TABLE serie (uuid TEXT NOT NULL PRIMARY KEY, eleve TEXT NOT NULL,"
                   " debut TEXT NOT NULL, duree DOUBLE PRECISION NOT NULL, note INTEGER NOT NULL,"
                   " caracteres BIGINT NOT NULL, fautes BIGINT NOT NULL, niveau INTEGER NOT NULL,"
                   " liste TEXT NOT NULL)"),
    QStringLiteral("CREATE INDEX serie_eleve ON serie (eleve, debut)"),
    QStringLiteral("CREATE TABLE faute (serie TEXT NOT NULL REFERENCES serie(uuid) ON DELETE CASCADE,"
                   " caractere TEXT NOT NULL, nombre INTEGER NOT NULL, PRIMARY KEY (serie, caractere))"),
};

// The columns recordAt reads; tables of an earlier version give a constant for those they lack.
QString selectColumns(bool dictee, bool computer, bool lesson)
{
    return QStringLiteral("SELECT uuid, eleve, debut, duree, note, caracteres, fautes, niveau, liste, %1, %2,"
                          " %3 FROM serie")
        .arg(dictee ? QStringLiteral("dictee") : QStringLiteral("false"),
             computer ? QStringLiteral("concat_ws(' ', poste, host(adresse))") : QStringLiteral("''"),
             lesson ? QStringLiteral("lecon") : QStringLiteral("''"));
}

bool makeOwnFolder(const QString &path)
{
    if (!QDir().mkpath(path))
        return false;
    QFile::setPermissions(path, OwnerOnlyFolder);
    return true;
}

QString configured(const QString &key)
{
    return Store::read(Store::Configuration, Store::Resultats, key, QString()).trimmed();
}

QString newUuid()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces);
}

History::Record recordAt(const QSqlQuery &query)
{
    History::Record record;
    record.uuid = query.value(0).toString();
    record.pupil = query.value(1).toString();
    record.start = QDateTime::fromString(query.value(2).toString(), Qt::ISODateWithMs).toUTC();
    record.seconds = query.value(3).toDouble();
    record.grade = query.value(4).toInt();
    record.characters = query.value(5).toLongLong();
    record.mistakes = query.value(6).toLongLong();
    record.level = query.value(7).toInt();
    record.wordList = query.value(8).toString();
    record.dictee = query.value(9).toBool();
    record.computer = query.value(10).toString();
    record.lesson = query.value(11).toString();
    return record;
}

// One connection for the time of one use, in the thread that opened it, closed and removed when it goes.
class Connection {
public:
    Connection()
    {
        static std::atomic<int> serial = 0;
        m_name = QStringLiteral("frappin-historique-%1").arg(++serial);
    }
    ~Connection()
    {
        if (m_db.isValid())
            m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_name);
    }
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    bool isServer() const { return m_server; }

    // Opens the local database, creating it and its schema when create is set. Returns why it failed, or
    // the empty text.
    QString openLocal(bool create, int busyTimeout = PupilBusyTimeout)
    {
        const QString path = History::databasePath();
        const bool exists = QFileInfo::exists(path);
        if (!exists && !create)
            return QStringLiteral("absent");
        if (!exists) {
            if (!makeOwnFolder(History::folder()))
                return QStringLiteral("le dossier %1 ne peut pas être créé").arg(History::folder());
            // Created empty and owner-only before SQLite opens it; its journal takes the same rights.
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly))
                return QStringLiteral("le fichier %1 ne peut pas être créé").arg(path);
            file.close();
            QFile::setPermissions(path, OwnerOnlyFile);
        }
        if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE")))
            return QStringLiteral("le module SQLite de Qt n'est pas installé");
        m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        m_db.setDatabaseName(path);
        m_db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeout));
        if (!m_db.open())
            return m_db.lastError().text();
        if (!exec(QStringLiteral("PRAGMA foreign_keys = ON")))
            return m_lastError;
        return prepareSchema(create);
    }

    // Connects to the server of a PostgreSQL service (pg_service.conf; the password, if any, in ~/.pgpass)
    // to read, or to create or upgrade the schema (prepare).
    QString openServer(const QString &service, bool prepare = false)
    {
        // A section name of pg_service.conf: anything else could add settings to the connection.
        static const QRegularExpression ServiceName(QStringLiteral("^[A-Za-z0-9_.-]+$"));
        if (!ServiceName.match(service).hasMatch())
            return QStringLiteral("le nom de service « %1 » n'est pas valable").arg(service);
        if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL")))
            return QStringLiteral("le module PostgreSQL de Qt (libqt6sql6-psql) n'est pas installé");
        m_server = true;
        m_db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_name);
        m_db.setConnectOptions(QStringLiteral("service=%1;").arg(service) + ServerOptions);
        if (!m_db.open())
            return m_db.lastError().text();
        if (!exec(QStringLiteral("SET statement_timeout = %1").arg(prepare ? 0 : StatementTimeoutMs)))
            return m_lastError;
        if (prepare)
            return prepareSchema(true);
        if (QString error = version(m_serverVersion); !error.isEmpty())
            return error;
        if (m_serverVersion == 0)
            return QStringLiteral("les tables de Frappin ne sont pas sur ce serveur");
        if (m_serverVersion > History::Link::ServerSchemaVersion)
            return QStringLiteral(
                "les tables du serveur ont été faites par une version plus récente de Frappin");
        QSqlQuery query(m_db);
        query.prepare(QStringLiteral("SELECT to_regprocedure(?) IS NOT NULL"));
        query.addBindValue(QString::fromLatin1(History::Link::LessonFunction));
        if (!query.exec() || !query.next())
            return query.lastError().text();
        m_lessons = query.value(0).toBool();
        return QString();
    }

    // Moves a pupil to a lesson on the server (the teacher's role may add a move, and nothing else there).
    QString move(const QString &pupil, const QString &lesson)
    {
        if (!m_lessons)
            return QStringLiteral("les tables du serveur ne sont pas à jour (frappin-eleve serveur, avec le"
                                  " compte propriétaire, les prépare)");
        QSqlQuery query(m_db);
        query.prepare(QStringLiteral("INSERT INTO lecon_choisie (eleve, lecon) VALUES (?, ?)"));
        query.addBindValue(pupil);
        query.addBindValue(lesson);
        return query.exec() ? QString() : query.lastError().text();
    }

    // Marks a series hidden on the server (the teacher's role may change that column only).
    QString hide(const QString &uuid)
    {
        if (m_serverVersion < History::Link::MarkedSchemaVersion)
            return QStringLiteral("les tables du serveur ne sont pas à jour");
        QSqlQuery query(m_db);
        query.prepare(QStringLiteral("UPDATE serie SET masquee = true WHERE uuid = ?"));
        query.addBindValue(uuid);
        if (!query.exec())
            return query.lastError().text();
        return query.numRowsAffected() == 1 ? QString()
                                            : QStringLiteral("cette série n'est pas sur le serveur");
    }

    // Sets what the owner sets for the roles; the pupils' roles whose activity the server still shows to
    // each other go to unseen (only a superuser may hide it).
    QString applyServerSettings(QStringList &unseen)
    {
        // One transaction: a pupil never finds the moves' table open to them between its making and its
        // rights.
        if (!m_db.transaction())
            return m_db.lastError().text();
        for (const QString &statement : QStringList{OwnerOnly} + ServerLessons + ServerSettings) {
            if (!exec(statement))
                return rollback(m_lastError);
        }
        if (!m_db.commit())
            return rollback(m_db.lastError().text());
        QSqlQuery query(m_db);
        if (!query.exec(QStringLiteral(
                "SELECT rolname, rolname IN (SELECT r.rolname FROM pg_db_role_setting s JOIN pg_roles r ON"
                " r.oid = s.setrole WHERE 'track_activities=off' = ANY (s.setconfig)) FROM pg_roles"
                " WHERE rolname !~ '^pg_' AND has_table_privilege(rolname, 'serie', 'INSERT') AND NOT "
                "has_table_privilege(rolname,"
                " 'serie', 'SELECT') ORDER BY rolname")))
            return query.lastError().text();
        const bool superuser =
            exec(QStringLiteral("DO $$ BEGIN IF NOT (SELECT rolsuper FROM pg_roles WHERE"
                                " rolname = current_user) THEN RAISE EXCEPTION 'no'; END IF;"
                                " END $$"));
        while (query.next()) {
            const QString role = query.value(0).toString();
            if (query.value(1).toBool())
                continue;
            if (!superuser || !exec(QStringLiteral("ALTER ROLE \"%1\" SET track_activities = off").arg(role)))
                unseen.append(role);
        }
        return QString();
    }

    QSqlDatabase &db() { return m_db; }

    bool exec(const QString &statement)
    {
        QSqlQuery query(m_db);
        if (query.exec(statement))
            return true;
        m_lastError = query.lastError().text();
        return false;
    }

    // Writes the records in one transaction; a record the database holds already is left as it is.
    QString write(const QList<History::Record> &records)
    {
        if (!m_db.transaction())
            return m_db.lastError().text();
        const QString error = insert(records);
        if (!error.isEmpty())
            return rollback(error);
        if (!m_db.commit())
            return rollback(m_db.lastError().text());
        return QString();
    }

    // Removes the records of these identifiers, in one transaction.
    QString remove(const QList<History::Record> &records)
    {
        if (!m_db.transaction())
            return m_db.lastError().text();
        QSqlQuery query(m_db);
        query.prepare(QStringLiteral("DELETE FROM serie WHERE uuid = ?"));
        for (const History::Record &record : records) {
            query.addBindValue(record.uuid);
            if (!query.exec())
                return rollback(query.lastError().text());
        }
        if (!m_db.commit())
            return rollback(m_db.lastError().text());
        return QString();
    }

    // The series of a pupil (everyone's when empty), oldest first.
    QList<History::Record> read(const QString &pupil, QString &error)
    {
        // The server's tables say where each series came from, and which the teacher hid.
        const bool marked = m_serverVersion >= History::Link::MarkedSchemaVersion;
        QStringList conditions;
        if (marked)
            conditions.append(QStringLiteral("NOT masquee"));
        if (!pupil.isEmpty())
            conditions.append(QStringLiteral("eleve = ?"));
        const QString columns =
            selectColumns(!m_server || m_serverVersion >= History::Link::ServerSchemaVersion, marked,
                          !m_server || m_lessons);
        QSqlQuery query(m_db);
        query.prepare(
            columns +
            (conditions.isEmpty() ? QString() : QStringLiteral(" WHERE ") + conditions.join(" AND ")) +
            QStringLiteral(" ORDER BY debut, uuid"));
        QSqlQuery mistakes(m_db);
        mistakes.prepare(QStringLiteral("SELECT f.serie, f.caractere, f.nombre FROM faute f") +
                         (pupil.isEmpty() ? QString()
                                          : QStringLiteral(" JOIN serie s ON s.uuid = f.serie"
                                                           " WHERE s.eleve = ?")));
        if (!pupil.isEmpty()) {
            query.addBindValue(pupil);
            mistakes.addBindValue(pupil);
        }
        return joined(query, mistakes, error, false);
    }

private:
    QString insert(const QList<History::Record> &records)
    {
        if (records.isEmpty())
            return QString();
        QSqlQuery addSeries(m_db);
        QSqlQuery addMistakes(m_db);
        if (!addSeries.prepare(QStringLiteral(
                "INSERT INTO serie (uuid, eleve, debut, duree, note, caracteres,"
                " fautes, niveau, liste, dictee, lecon) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"
                " ON CONFLICT DO NOTHING")) ||
            !addMistakes.prepare(
                QStringLiteral("INSERT INTO faute (serie, caractere, nombre) VALUES (?, ?, ?)"
                               " ON CONFLICT DO NOTHING")))
            return addSeries.lastError().isValid() ? addSeries.lastError().text()
                                                   : addMistakes.lastError().text();
        for (const History::Record &record : records) {
            const QString uuid = record.uuid.isEmpty() ? newUuid() : record.uuid;
            for (const QVariant &value :
                 {QVariant(uuid), QVariant(record.pupil),
                  QVariant(record.start.toUTC().toString(Qt::ISODateWithMs)), QVariant(record.seconds),
                  QVariant(record.grade), QVariant(record.characters), QVariant(record.mistakes),
                  QVariant(record.level), QVariant(record.wordList), QVariant(record.dictee),
                  QVariant(record.lesson)})
                addSeries.addBindValue(value);
            if (!addSeries.exec())
                return addSeries.lastError().text();
            for (auto it = record.mistakesByCharacter.cbegin(); it != record.mistakesByCharacter.cend();
                 ++it) {
                addMistakes.addBindValue(uuid);
                addMistakes.addBindValue(it.key());
                addMistakes.addBindValue(it.value());
                if (!addMistakes.exec())
                    return addMistakes.lastError().text();
            }
        }
        return QString();
    }

    // The schema's version: SQLite keeps it in user_version, PostgreSQL in the comment of the table "serie",
    // which any role may read.
    QString version(int &value)
    {
        QSqlQuery query(m_db);
        if (!query.exec(m_server ? QStringLiteral("SELECT obj_description(to_regclass('serie'), 'pg_class')")
                                 : QStringLiteral("PRAGMA user_version")) ||
            !query.next())
            return query.lastError().isValid() ? query.lastError().text()
                                               : QStringLiteral("lecture impossible");
        value = query.value(0).toInt();
        return QString();
    }

    QString prepareSchema(bool create)
    {
        int version = 0;
        if (QString error = this->version(version); !error.isEmpty())
            return error;
        const int target = m_server ? History::Link::ServerSchemaVersion : History::SchemaVersion;
        if (version > target)
            return QStringLiteral("l'historique a été écrit par une version plus récente de Frappin");
        if (version == target)
            return QString();
        if (version == 0 && !create)
            return QStringLiteral("absent");
        if (!m_db.transaction())
            return m_db.lastError().text();
        // Version 1 (SQLite only) kept the pupils in a table of their own and knew a series by a number: its
        // series are read, given an identifier each and written again in the new tables.
        QList<History::Record> kept;
        if (version == 1) {
            QString error;
            kept = readVersion1(error);
            if (!error.isEmpty())
                return rollback(error);
            for (const QString &statement :
                 {QStringLiteral("DROP TABLE faute"), QStringLiteral("DROP TABLE serie"),
                  QStringLiteral("DROP TABLE eleve")}) {
                if (!exec(statement))
                    return rollback(m_lastError);
            }
        }
        // Only the steps from the version found on: a server prepared before keeps its rows and checks.
        QStringList steps = version < 2 ? Schema : QStringList();
        if (m_server && version < History::Link::MarkedSchemaVersion)
            steps += ServerUpgrade;
        if (m_server)
            steps += ServerDictee;
        else
            steps += version < 3 ? QStringList{LocalDictee, LocalLesson} : QStringList{LocalLesson};
        for (const QString &statement : steps) {
            if (!exec(statement))
                return rollback(m_lastError);
        }
        const QString setVersion = m_server ? QStringLiteral("COMMENT ON TABLE serie IS '%1'")
                                            : QStringLiteral("PRAGMA user_version = %1");
        if (!exec(setVersion.arg(target)))
            return rollback(m_lastError);
        if (const QString error = insert(kept); !error.isEmpty())
            return rollback(error);
        if (!m_db.commit())
            return rollback(m_db.lastError().text());
        return QString();
    }

    QList<History::Record> readVersion1(QString &error)
    {
        QSqlQuery query(m_db);
        QSqlQuery mistakes(m_db);
        query.prepare(
            QStringLiteral("SELECT s.id, e.nom, s.debut, s.duree, s.note, s.caracteres, s.fautes,"
                           " s.niveau, s.liste, 0, '', '' FROM serie s JOIN eleve e ON e.id = s.eleve"));
        mistakes.prepare(QStringLiteral("SELECT serie, caractere, nombre FROM faute"));
        // Version 1 knew its series by number: each gets its identifier now.
        return joined(query, mistakes, error, true);
    }

    // Runs the prepared queries of the series (columns as recordAt reads them, the first the series' key)
    // and of their mistakes (key, character, count), and gives each series its mistakes; a new identifier
    // for each series when newIdentifiers.
    static QList<History::Record> joined(QSqlQuery &query, QSqlQuery &mistakes, QString &error,
                                         bool newIdentifiers)
    {
        if (!query.exec() || !mistakes.exec()) {
            error = query.lastError().isValid() ? query.lastError().text() : mistakes.lastError().text();
            return {};
        }
        QList<History::Record> found;
        QHash<QString, qsizetype> byKey;
        while (query.next()) {
            found.append(recordAt(query));
            byKey.insert(found.last().uuid, found.size() - 1);
            if (newIdentifiers)
                found.last().uuid = newUuid();
        }
        while (mistakes.next()) {
            const auto at = byKey.constFind(mistakes.value(0).toString());
            if (at != byKey.cend())
                found[*at].mistakesByCharacter.insert(mistakes.value(1).toString(),
                                                      mistakes.value(2).toInt());
        }
        return found;
    }

    QString rollback(const QString &error)
    {
        m_db.rollback();
        return error;
    }

    QString m_name;
    QSqlDatabase m_db;
    QString m_lastError;
    bool m_server = false;
    int m_serverVersion = 0;
    bool m_lessons = false; // the server keeps the pupils' lessons
};

QJsonObject toJson(const History::Record &record)
{
    QJsonObject mistakes;
    for (auto it = record.mistakesByCharacter.cbegin(); it != record.mistakesByCharacter.cend(); ++it)
        mistakes.insert(it.key(), it.value());
    return {{"uuid", record.uuid},
            {"eleve", record.pupil},
            {"debut", record.start.toUTC().toString(Qt::ISODateWithMs)},
            {"duree", record.seconds},
            {"note", record.grade},
            {"caracteres", record.characters},
            {"fautes", record.mistakes},
            {"niveau", record.level},
            {"liste", record.wordList},
            {"fautesParCaractere", mistakes},
            {"dictee", record.dictee},
            {"lecon", record.lesson}};
}

History::Record fromJson(const QJsonObject &object)
{
    History::Record record;
    // Files of earlier versions have no identifier: one is made when the record is written.
    record.uuid = object.value("uuid").toString();
    record.pupil = object.value("eleve").toString();
    record.start = QDateTime::fromString(object.value("debut").toString(), Qt::ISODateWithMs).toUTC();
    record.seconds = object.value("duree").toDouble();
    record.grade = object.value("note").toInt();
    record.characters = object.value("caracteres").toInteger();
    record.mistakes = object.value("fautes").toInteger();
    record.level = object.value("niveau").toInt();
    record.wordList = object.value("liste").toString();
    const QJsonObject mistakes = object.value("fautesParCaractere").toObject();
    for (auto it = mistakes.begin(); it != mistakes.end(); ++it)
        record.mistakesByCharacter.insert(it.key(), it.value().toInt());
    record.dictee = object.value("dictee").toBool(); // absent from the files of earlier versions
    record.lesson = object.value("lecon").toString();
    return record;
}

QString keepPending(const QList<History::Record> &records)
{
    if (records.isEmpty()) {
        QFile::remove(History::pendingPath());
        return QString();
    }
    if (!makeOwnFolder(History::folder()))
        return QStringLiteral("le dossier %1 ne peut pas être créé").arg(History::folder());
    QJsonArray array;
    for (const History::Record &record : records)
        array.append(toJson(record));
    const QString error = saveWholeFile(History::pendingPath(), QJsonDocument(array).toJson());
    QFile::setPermissions(History::pendingPath(), OwnerOnlyFile);
    return error;
}

// The engines' reasons, in English, said in French for the teacher; others as they are.
QString inFrench(const QString &reason)
{
    const QString lower = reason.toLower();
    const auto has = [&lower](const char *text) { return lower.contains(QLatin1StringView(text)); };
    if (has("not a database") || has("malformed"))
        return QStringLiteral("le fichier est abîmé");
    if (has("locked") || has("busy"))
        return QStringLiteral("il est bloqué par un autre programme");
    if (has("readonly") || has("read-only"))
        return QStringLiteral("il est en lecture seule");
    if (has("disk is full"))
        return QStringLiteral("le disque est plein");
    if (has("unable to open"))
        return QStringLiteral("il ne peut pas être ouvert");
    if (has("violates check constraint") || has("invalid input syntax") || has("datée de l'avenir") ||
        has("plus de fautes"))
        return QStringLiteral("le serveur refuse une série aux valeurs impossibles (%1)")
            .arg(reason.trimmed());
    if (has("must be owner"))
        return QStringLiteral("ce compte n'est pas le propriétaire des tables de Frappin (%1)")
            .arg(reason.trimmed());
    if (has("definition of service"))
        return QStringLiteral("ce service n'est pas décrit dans pg_service.conf (%1)").arg(reason.trimmed());
    if (has("password") || has("authentication"))
        return QStringLiteral("le serveur refuse ce compte ou son mot de passe (~/.pgpass) (%1)")
            .arg(reason.trimmed());
    if (has("permission denied"))
        return QStringLiteral("ce compte du serveur n'en a pas le droit (%1)").arg(reason.trimmed());
    if (has("could not connect") || has("connection to server") || has("timeout expired"))
        return QStringLiteral("le serveur ne répond pas (%1)").arg(reason.trimmed());
    return reason;
}

QString told(const QString &reason, const QString &service = QString(), bool reading = false)
{
    const QString where = service.isEmpty() ? QDir::toNativeSeparators(History::databasePath())
                                            : QStringLiteral("service PostgreSQL « %1 »").arg(service);
    return QStringLiteral("L'historique des séries (%1) ne peut pas être %2 : %3.")
        .arg(where, reading ? QStringLiteral("lu") : QStringLiteral("écrit"), inFrench(reason));
}

// What the server said of the pupils' lessons, for the window to read at once. A pupil's progress made here
// (a series appended, a teacher's move) makes what was said before stale: it is forgotten, and an answer to a
// question asked before that progress is not kept.
struct ServerAnswers {
    QMutex mutex;
    QHash<QString, QString> lessons; // by pupil: what the server said (empty: it knows none)
    QSet<QString> wanted;            // pupils to ask at the sender's next round
    QHash<QString, quint64> changed; // by pupil: the serial of their last progress made here
    quint64 serial = 0;
};

ServerAnswers &answers()
{
    static ServerAnswers instance;
    return instance;
}

// A series kept in the pending file (the local database could not be written) is out of the sender's sight
// until the next start: no answer is kept for its pupil till then.
void progressMadeHere(const QString &pupil, bool untilRestart = false)
{
    ServerAnswers &a = answers();
    const QMutexLocker lock(&a.mutex);
    a.changed.insert(pupil, untilRestart ? std::numeric_limits<quint64>::max() : ++a.serial);
    a.lessons.remove(pupil);
}

// Sends the local records to the server and removes them from the local database once it has them; asks
// the lessons of the pupils sent and of those wanted, and keeps what it learns.
QString sendLocalRecords(const QString &service)
{
    QStringList wanted;
    quint64 round = 0;
    {
        ServerAnswers &a = answers();
        const QMutexLocker lock(&a.mutex);
        round = a.serial;
        wanted = QStringList(a.wanted.cbegin(), a.wanted.cend());
        a.wanted.clear();
    }
    Connection local;
    QString error = local.openLocal(false, SenderBusyTimeout);
    QList<History::Record> records;
    if (error.isEmpty())
        records = local.read(QString(), error);
    else if (error == QStringLiteral("absent"))
        error.clear();
    if (!error.isEmpty())
        return told(error, QString(), true);
    if (records.isEmpty() && wanted.isEmpty())
        return QString();
    const History::Link::Outcome sent = History::Link::send(service, records, wanted);
    {
        ServerAnswers &a = answers();
        const QMutexLocker lock(&a.mutex);
        for (auto it = sent.lessons.cbegin(); it != sent.lessons.cend(); ++it) {
            if (a.changed.value(it.key()) <= round)
                a.lessons.insert(it.key(), it.value());
        }
    }
    if (records.isEmpty())
        return QString();
    // What the server has is forgotten here; a failure in between only sends it again, and the server keeps
    // it once. The reason the others wait is kept for the teacher (the companion, frappin-eleve historique).
    QList<History::Record> confirmed;
    for (const History::Record &record : records) {
        if (sent.confirmed.contains(record.uuid))
            confirmed.append(record);
    }
    if (!confirmed.isEmpty()) {
        if (error = local.remove(confirmed); !error.isEmpty())
            return told(error);
    }
    if (sent.error.isEmpty()) {
        QFile::remove(History::waitingReasonPath());
        return QString();
    }
    if (sent.stopped)
        return QString();
    const QString reason = told(sent.error, service);
    saveWholeFile(History::waitingReasonPath(), reason.toUtf8());
    QFile::setPermissions(History::waitingReasonPath(), OwnerOnlyFile);
    return reason;
}

// The thread that sends the local records: one at a time; a request made while it runs makes it go round
// once more.
struct Sender {
    QMutex mutex;
    QWaitCondition idle;
    QThread *thread = nullptr;
    bool running = false;
    bool again = false;
};

Sender &sender()
{
    static Sender instance;
    return instance;
}

// The end of the program: a send under way has a moment to finish, then is stopped, so that the program
// ends within a second whatever the network does; what the server did not confirm is sent next time.
void stopSending()
{
    Sender &s = sender();
    {
        QMutexLocker lock(&s.mutex);
        const QDeadlineTimer grace(SendingGrace);
        while (s.running && s.idle.wait(&s.mutex, grace)) {
        }
        if (s.running) {
            History::Link::stopAll();
            s.again = false;
        }
    }
    History::waitForSending();
}

// A round under way is made to go round once more when again is set; a question alone waits for the next.
void startSending(bool again = true)
{
    const QString service = configured(Store::Service);
    if (service.isEmpty())
        return;
    Sender &s = sender();
    const QMutexLocker lock(&s.mutex);
    if (s.running) {
        s.again = s.again || again;
        return;
    }
    if (s.thread) {
        s.thread->wait();
        delete s.thread;
    } else {
        qAddPostRoutine(stopSending);
    }
    s.running = true;
    s.thread = QThread::create([service, &s] {
        for (;;) {
            if (const QString error = sendLocalRecords(service); !error.isEmpty())
                qWarning().noquote() << error;
            const QMutexLocker lock(&s.mutex);
            if (!s.again) {
                s.running = false;
                s.idle.wakeAll();
                return;
            }
            s.again = false;
        }
    });
    s.thread->start(QThread::LowPriority);
}

} // namespace

namespace History {

QString folder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/frappin");
}

bool ownFolder()
{
    return makeOwnFolder(folder());
}

QString databasePath()
{
    return folder() + QStringLiteral("/historique.sqlite");
}

QString pendingPath()
{
    return folder() + QStringLiteral("/historique-en-attente.json");
}

QString waitingReasonPath()
{
    return folder() + QStringLiteral("/envoi-en-attente.txt");
}

QString waiting()
{
    if (configured(Store::Service).isEmpty())
        return QString();
    const qsizetype count = localRecords().size();
    if (count == 0)
        return QString();
    QFile file(waitingReasonPath());
    const QString reason = file.open(QIODevice::ReadOnly)
                               ? QString::fromUtf8(file.readAll()).trimmed()
                               : QStringLiteral("elles n'ont pas encore été envoyées.");
    return (count == 1 ? QStringLiteral("1 série attend sur ce poste : ")
                       : QStringLiteral("%1 séries attendent sur ce poste : ").arg(count)) +
           reason;
}

QString hide(const QString &uuid)
{
    const QString service = configured(Store::ServiceEnseignant);
    if (service.isEmpty())
        return QStringLiteral("Une série ne peut être masquée que sur le serveur de l'école.");
    Connection connection;
    QString error = connection.openServer(service);
    if (error.isEmpty())
        error = connection.hide(uuid);
    return error.isEmpty() ? QString() : told(error, service);
}

namespace {

// The records of the pending file; nothing when a damaged file is still in the way, which must then never be
// written over. A damaged file (cut short by a crash, edited by hand) is put aside under a name of its own
// that nothing writes again, so that its series can still be read by whoever looks after the computer.
std::optional<QList<Record>> readPending()
{
    QFile file(pendingPath());
    if (!file.exists())
        return QList<Record>();
    const QJsonDocument document =
        file.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(file.readAll()) : QJsonDocument();
    file.close();
    if (!document.isArray()) {
        const QString aside = pendingPath().chopped(5) + QStringLiteral("-abime-") +
                              currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
        for (int n = 1; n <= 99; ++n) {
            if (file.rename(aside + (n > 1 ? QStringLiteral("-%1").arg(n) : QString()) +
                            QStringLiteral(".json")))
                return QList<Record>();
        }
        return std::nullopt;
    }
    QList<Record> records;
    for (const QJsonValue &value : document.array()) {
        Record record = fromJson(value.toObject());
        if (!record.pupil.trimmed().isEmpty() && record.start.isValid())
            records.append(record);
    }
    return records;
}

QString damagedPending()
{
    return QStringLiteral("le fichier %1 est abîmé et ne peut pas être mis de côté.")
        .arg(QDir::toNativeSeparators(pendingPath()));
}

} // namespace

QList<Record> pending()
{
    return readPending().value_or(QList<Record>());
}

QString append(const Record &appended)
{
    Record record = appended;
    if (record.uuid.isEmpty())
        record.uuid = newUuid();
    QString error;
    {
        Connection connection;
        error = connection.openLocal(true);
        if (error.isEmpty())
            error = connection.write({record});
    }
    progressMadeHere(record.pupil, !error.isEmpty());
    if (error.isEmpty()) {
        startSending();
        return QString();
    }
    std::optional<QList<Record>> kept = readPending();
    if (kept)
        kept->append(record);
    if (const QString notKept = kept ? keepPending(*kept) : damagedPending(); !notKept.isEmpty())
        return told(error) + QStringLiteral("\rLa série n'a pas pu être gardée pour plus tard : ") + notKept;
    return told(error);
}

QString writePending()
{
    std::optional<QList<Record>> waiting = readPending();
    if (!waiting)
        return told(damagedPending());
    QList<Record> &kept = *waiting;
    if (!kept.isEmpty()) {
        for (Record &record : kept) {
            if (record.uuid.isEmpty())
                record.uuid = newUuid();
        }
        Connection connection;
        QString error = connection.openLocal(true);
        if (error.isEmpty())
            error = connection.write(kept);
        if (!error.isEmpty())
            return told(error);
    }
    QFile::remove(pendingPath());
    // The lessons of this account's pupils are asked at once, so that a pupil who comes from another
    // computer starts at their own from the first series.
    if (Store::switchedOn(Store::Parcours)) {
        QStringList pupils = Store::sections(Store::Frappin);
        pupils.removeAll(Store::Demarrage);
        pupils.prepend(Store::derniere());
        ServerAnswers &a = answers();
        const QMutexLocker lock(&a.mutex);
        for (const QString &pupil : std::as_const(pupils).first(std::min<qsizetype>(pupils.size(), 500))) {
            if (!pupil.trimmed().isEmpty())
                a.wanted.insert(pupil);
        }
    }
    startSending();
    return QString();
}

QString serverLesson(const QString &pupil)
{
    if (pupil.trimmed().isEmpty() || configured(Store::Service).isEmpty())
        return QString();
    {
        ServerAnswers &a = answers();
        const QMutexLocker lock(&a.mutex);
        if (const auto found = a.lessons.constFind(pupil); found != a.lessons.cend())
            return *found;
        // A pupil with progress made here is asked when that progress is sent.
        if (a.wanted.contains(pupil) || a.changed.contains(pupil))
            return QString();
        a.wanted.insert(pupil);
    }
    startSending(false);
    return QString();
}

QString moveLessonOnServer(const QString &pupil, const QString &lesson)
{
    const QString service = configured(Store::ServiceEnseignant);
    if (service.isEmpty())
        return QString();
    // Pupils may work under the teacher's account: what its sender heard before the move is stale.
    progressMadeHere(pupil);
    Connection connection;
    QString error = connection.openServer(service);
    if (error.isEmpty())
        error = connection.move(pupil, lesson);
    if (error.isEmpty()) {
        ServerAnswers &a = answers();
        const QMutexLocker lock(&a.mutex);
        a.lessons.insert(pupil, lesson);
        return QString();
    }
    return QStringLiteral("La leçon de %1 n'a pas pu être changée sur le serveur"
                          " (service PostgreSQL « %2 ») : %3.")
        .arg(pupil, service, inFrench(error));
}

void waitForSending()
{
    Sender &s = sender();
    const QMutexLocker lock(&s.mutex);
    while (s.running)
        s.idle.wait(&s.mutex);
    if (s.thread)
        s.thread->wait();
}

QList<Record> records(const QString &pupil, QString *error)
{
    const QString service = configured(Store::ServiceEnseignant);
    if (service.isEmpty())
        return localRecords(pupil, error);
    Connection connection;
    QString failure = connection.openServer(service);
    QList<Record> found;
    if (failure.isEmpty())
        found = connection.read(pupil, failure);
    if (!failure.isEmpty() && error)
        *error = told(failure, service, true);
    return found;
}

QList<Record> localRecords(const QString &pupil, QString *error)
{
    Connection connection;
    QString failure = connection.openLocal(false);
    QList<Record> found;
    if (failure.isEmpty())
        found = connection.read(pupil, failure);
    if (!failure.isEmpty() && failure != QStringLiteral("absent") && error)
        *error = told(failure, QString(), true);
    return found;
}

QMap<QString, int> recentMistakes(const QString &pupil, int count)
{
    QMap<QString, int> missed;
    Connection connection;
    if (!connection.openLocal(false).isEmpty())
        return missed;
    // The index on (eleve, debut) finds the last series without reading the others.
    QSqlQuery query(connection.db());
    query.prepare(QStringLiteral("SELECT caractere, nombre FROM faute WHERE serie IN (SELECT uuid FROM serie"
                                 " WHERE eleve = ? ORDER BY debut DESC LIMIT ?)"));
    query.addBindValue(pupil);
    query.addBindValue(count);
    if (!query.exec())
        return missed;
    while (query.next())
        missed[query.value(0).toString()] += query.value(1).toInt();
    return missed;
}

QString prepareServer(const QString &service, QStringList *unseen)
{
    Connection connection;
    QString error = connection.openServer(service, true);
    QStringList roles;
    if (error.isEmpty())
        error = connection.applyServerSettings(roles);
    if (unseen)
        *unseen = roles;
    return error.isEmpty() ? QString() : told(error, service);
}

QStringList csvHeader()
{
    return {QStringLiteral("Date"),
            QStringLiteral("Élève"),
            QStringLiteral("Durée (secondes)"),
            QStringLiteral("Note"),
            QStringLiteral("Caractères"),
            QStringLiteral("Fautes"),
            QStringLiteral("Vitesse (caractères par minute)"),
            QStringLiteral("Niveau"),
            QStringLiteral("Liste de mots"),
            QStringLiteral("Fautes par caractère"),
            QStringLiteral("Dictée")};
}

QStringList csvFields(const Record &record)
{
    QStringList mistakes;
    for (auto it = record.mistakesByCharacter.cbegin(); it != record.mistakesByCharacter.cend(); ++it)
        mistakes.append((it.key() == QStringLiteral(" ") ? QStringLiteral("espace") : it.key()) + u' ' +
                        QString::number(it.value()));
    return {record.start.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")),
            record.pupil,
            Csv::number(record.seconds, 1),
            QString::number(record.grade),
            QString::number(record.characters),
            QString::number(record.mistakes),
            Csv::number(record.speed(), 1),
            QString::number(record.level),
            record.wordList,
            mistakes.join(QStringLiteral(", ")),
            record.dictee ? QStringLiteral("oui") : QStringLiteral("non")};
}

} // namespace History
