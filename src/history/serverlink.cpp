#include "history/serverlink.h"

#include <QByteArrayList>
#include <QDeadlineTimer>
#include <QSet>
#include <QSysInfo>

#include <libpq-fe.h>

#include <atomic>
#include <cerrno>
#include <poll.h>

namespace {

std::atomic<bool> stopping = false;

// How often a wait looks whether the program is ending.
constexpr int Slice = 50;

// One session with the server, closed when it goes.
class Session {
public:
    Session() = default;
    ~Session()
    {
        if (m_conn)
            PQfinish(m_conn);
    }
    Session(const Session &) = delete;
    Session &operator=(const Session &) = delete;

    // True while the session can still be used after a refused statement.
    bool usable() const { return !m_lost && PQstatus(m_conn) == CONNECTION_OK; }

    QString open(const QString &service)
    {
        const QByteArray name = service.toUtf8();
        const QByteArray options =
            QStringLiteral("-c statement_timeout=%1 -c idle_in_transaction_session_timeout=%2")
                .arg(History::Link::StatementTimeout)
                .arg(History::Link::IdleInTransactionTimeout)
                .toUtf8();
        const QByteArray connectSeconds = QByteArray::number(History::Link::ConnectBound / 1000);
        // The keep-alives and tcp_user_timeout end a session whose network went quiet on both ends (the
        // server's too); the bounds below end the program's waits whatever the network does.
        const char *keys[] = {
            "service",          "connect_timeout",  "keepalives", "keepalives_idle",  "keepalives_interval",
            "keepalives_count", "tcp_user_timeout", "options",    "application_name", nullptr};
        const char *values[] = {name.constData(), connectSeconds.constData(), "1",       "5",    "2", "2",
                                "10000",          options.constData(),        "frappin", nullptr};
        m_conn = PQconnectStartParams(keys, values, 0);
        if (!m_conn)
            return QStringLiteral("mémoire insuffisante");
        if (PQstatus(m_conn) == CONNECTION_BAD)
            return lastError();
        const QDeadlineTimer deadline(History::Link::ConnectBound);
        for (PostgresPollingStatusType state = PGRES_POLLING_WRITING;; state = PQconnectPoll(m_conn)) {
            if (state == PGRES_POLLING_OK)
                return QString();
            if (state == PGRES_POLLING_FAILED)
                return lastError();
            if (const QString error =
                    waitFor(state == PGRES_POLLING_WRITING, deadline, History::Link::ConnectBound);
                !error.isEmpty())
                return error;
        }
    }

    // Runs one statement, its values bound (never written into its text); the rows it gives go to rows.
    QString run(const char *statement, const QByteArrayList &values = {},
                QList<QByteArrayList> *rows = nullptr)
    {
        QList<const char *> pointers;
        for (const QByteArray &value : values)
            pointers.append(value.constData());
        const int sent = values.isEmpty()
                             ? PQsendQuery(m_conn, statement)
                             : PQsendQueryParams(m_conn, statement, int(pointers.size()), nullptr,
                                                 pointers.constData(), nullptr, nullptr, 0);
        if (!sent)
            return lost();
        const QDeadlineTimer deadline(History::Link::ReplyBound);
        QString refused;
        for (;;) {
            while (PQisBusy(m_conn)) {
                if (const QString error = waitFor(false, deadline, History::Link::ReplyBound);
                    !error.isEmpty())
                    return error;
                if (!PQconsumeInput(m_conn))
                    return lost();
            }
            PGresult *result = PQgetResult(m_conn);
            if (!result)
                return refused;
            const ExecStatusType status = PQresultStatus(result);
            if (status == PGRES_FATAL_ERROR && refused.isEmpty())
                refused = QString::fromUtf8(PQresultErrorMessage(result)).trimmed();
            for (int row = 0; rows && status == PGRES_TUPLES_OK && row < PQntuples(result); ++row) {
                rows->append(QByteArrayList());
                for (int column = 0; column < PQnfields(result); ++column)
                    rows->last().append(QByteArray(PQgetvalue(result, row, column)));
            }
            PQclear(result);
        }
    }

private:
    QString lastError()
    {
        m_lost = true;
        return QString::fromUtf8(PQerrorMessage(m_conn)).trimmed();
    }
    QString lost()
    {
        const QString error = lastError();
        return error.isEmpty() ? QStringLiteral("la connexion au serveur est perdue") : error;
    }

    // Waits until the session's socket can be read (or written), in slices so that the end of the program
    // is heard at once.
    QString waitFor(bool writing, const QDeadlineTimer &deadline, int bound)
    {
        for (;;) {
            if (stopping) {
                m_lost = true;
                return QStringLiteral("Frappin s'arrête");
            }
            const int socket = PQsocket(m_conn);
            if (socket < 0)
                return lost();
            if (deadline.hasExpired()) {
                m_lost = true;
                return QStringLiteral("le serveur ne répond pas (rien en %1 secondes)").arg(bound / 1000);
            }
            pollfd watched{socket, short(writing ? POLLOUT : POLLIN), 0};
            const int ready = poll(&watched, 1, int(std::min<qint64>(deadline.remainingTime(), Slice)));
            if (ready > 0)
                return QString();
            if (ready < 0 && errno != EINTR)
                return lost();
        }
    }

    PGconn *m_conn = nullptr;
    bool m_lost = false;
};

// A text array of PostgreSQL's input form: {"a","\""}.
QByteArray textArray(const QStringList &items)
{
    QByteArrayList quoted;
    for (QString item : items)
        quoted.append(
            '"' + item.replace(u'\\', QStringLiteral("\\\\")).replace(u'"', QStringLiteral("\\\"")).toUtf8() +
            '"');
    return '{' + quoted.join(',') + '}';
}

QString sendOne(Session &session, const History::Record &record, const QByteArray &computer, bool lessons)
{
    static const char *AddSeries =
        "INSERT INTO serie (uuid, eleve, debut, duree, note, caracteres, fautes, niveau, liste, poste,"
        " dictee) VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9, $10, $11) ON CONFLICT DO NOTHING";
    static const char *AddSeriesWithLesson =
        "INSERT INTO serie (uuid, eleve, debut, duree, note, caracteres, fautes, niveau, liste, poste,"
        " dictee, lecon) VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9, $10, $11, NULLIF($12, ''))"
        " ON CONFLICT DO NOTHING";
    static const char *AddMistakes = "INSERT INTO faute (serie, caractere, nombre)"
                                     " SELECT $1, m.c, m.n FROM unnest($2::text[], $3::integer[]) AS m(c, n)"
                                     " ON CONFLICT DO NOTHING";
    const QByteArray uuid = record.uuid.toUtf8();
    QString error = session.run("BEGIN");
    QByteArrayList values = {uuid,
                             record.pupil.toUtf8(),
                             record.start.toUTC().toString(Qt::ISODateWithMs).toUtf8(),
                             QByteArray::number(record.seconds, 'g', 17),
                             QByteArray::number(record.grade),
                             QByteArray::number(record.characters),
                             QByteArray::number(record.mistakes),
                             QByteArray::number(record.level),
                             record.wordList.toUtf8(),
                             computer,
                             record.dictee ? "true" : "false"};
    if (lessons)
        values.append(record.lesson.toUtf8());
    if (error.isEmpty())
        error = session.run(lessons ? AddSeriesWithLesson : AddSeries, values);
    if (error.isEmpty() && !record.mistakesByCharacter.isEmpty()) {
        QStringList counts;
        for (const int count : record.mistakesByCharacter)
            counts.append(QString::number(count));
        error = session.run(AddMistakes, {uuid, textArray(record.mistakesByCharacter.keys()),
                                          '{' + counts.join(u',').toUtf8() + '}'});
    }
    if (error.isEmpty())
        return session.run("COMMIT");
    if (session.usable())
        session.run("ROLLBACK");
    return error;
}

// An outcome, marked when the program's end stopped it.
History::Link::Outcome stoppedOr(History::Link::Outcome outcome)
{
    outcome.stopped = stopping;
    return outcome;
}

} // namespace

namespace History::Link {

Outcome send(const QString &service, const QList<Record> &records, const QStringList &pupils)
{
    Outcome outcome;
    Session session;
    if (outcome.error = session.open(service); !outcome.error.isEmpty())
        return stoppedOr(outcome);
    QList<QByteArrayList> found;
    outcome.error = session.run(
        "SELECT obj_description(to_regclass('serie'), 'pg_class'), to_regprocedure($1) IS NOT NULL",
        {LessonFunction}, &found);
    if (!outcome.error.isEmpty())
        return stoppedOr(outcome);
    const int version = found.value(0).value(0).toInt();
    // A server prepared by the previous version takes the series without their lessons.
    const bool lessons = found.value(0).value(1) == "t";
    if (version != ServerSchemaVersion) {
        outcome.error =
            version == 0 ? QStringLiteral("les tables de Frappin ne sont pas sur ce serveur")
            : version > ServerSchemaVersion
                ? QStringLiteral(
                      "les tables du serveur ont été faites par une version plus récente de Frappin")
                : QStringLiteral("les tables du serveur ne sont pas à jour");
        outcome.error += QStringLiteral(" (frappin-eleve serveur, avec le compte propriétaire, les prépare)");
        return stoppedOr(outcome);
    }
    const QByteArray computer = QSysInfo::machineHostName().toUtf8();
    QStringList asked = pupils;
    QSet<QString> waiting;
    for (const Record &record : records) {
        asked.append(record.pupil);
        // A lost session leaves the rest for the next time.
        if (session.usable()) {
            const QString error = sendOne(session, record, computer, lessons);
            if (error.isEmpty()) {
                outcome.confirmed.append(record.uuid);
                continue;
            }
            outcome.error = error;
        }
        waiting.insert(record.pupil);
    }
    // A pupil whose series waits here has made progress the server has not seen.
    asked.removeIf([&waiting](const QString &pupil) { return waiting.contains(pupil); });
    asked.removeDuplicates();
    if (!lessons || asked.isEmpty() || !session.usable())
        return stoppedOr(outcome);
    static const char *AskLessons = "SELECT n, coalesce(lecon_eleve(n), '') FROM unnest($1::text[]) AS n";
    found.clear();
    // A question unanswered is no failure to send: the computer keeps the lessons it knows.
    if (!session.run(AskLessons, {textArray(asked)}, &found).isEmpty())
        return stoppedOr(outcome);
    for (const QByteArrayList &row : std::as_const(found))
        outcome.lessons.insert(QString::fromUtf8(row.value(0)), QString::fromUtf8(row.value(1)));
    return stoppedOr(outcome);
}

void stopAll()
{
    stopping = true;
}

} // namespace History::Link
