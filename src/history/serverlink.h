#pragma once

// The series' way to the school's server. libpq is driven here directly, not through Qt's driver, for two
// reasons a school's network makes plain: every wait has a bound of the program's own (a reply lost on the
// network would otherwise hold the sender, and the program's end, for as long as TCP retries: a quarter of
// an hour), and the values travel as bound parameters, so that the server's activity views show "$1", never
// a pupil's name or grade, to another session of the shared pupils' role.
//
// Each series goes in a transaction of its own: one refused or stuck series never holds the others back.
// The session asks the server to end it when it stays idle inside a transaction, so that a COMMIT lost on
// the way never keeps the identifiers it inserted locked.

#include "history/history.h"

#include <QHash>

namespace History::Link {

// The server's tables this program writes (the comment of the table "serie"). What a later version only adds,
// and copies of the previous one keep working with, leaves the number as it is and is known by itself: the
// pupils' lessons by their function.
inline constexpr int ServerSchemaVersion = 4;
// The server's function that gives a pupil's lesson, and nothing else, to the pupils' role.
inline constexpr char LessonFunction[] = "lecon_eleve(text)";
// From this version on, the server's tables say where each series came from and which the teacher hid.
inline constexpr int MarkedSchemaVersion = 3;
// Bounds, in milliseconds: a connection, and each reply of the server.
inline constexpr int ConnectBound = 3000;
inline constexpr int ReplyBound = 8000;
// What the session asks of the server, in milliseconds (the statement, the idle time inside a transaction).
inline constexpr int StatementTimeout = 5000;
inline constexpr int IdleInTransactionTimeout = 5000;

struct Outcome {
    QStringList confirmed;           // the identifiers the server has committed
    QString error;                   // why the others were not, or the empty text
    bool stopped = false;            // the program is ending: the reason given before still holds
    QHash<QString, QString> lessons; // what the server said of the pupils asked (empty: it knows none)
};

// Sends the records to the server of a PostgreSQL service, each in a transaction of its own. A refused series
// does not stop the next; a connection lost or out of time stops them all. Then asks the lessons of the
// pupils of the records and of pupils, except those with a record the server did not confirm.
Outcome send(const QString &service, const QList<Record> &records, const QStringList &pupils = {});

// Makes every exchange with a server give up within a twentieth of a second, for the rest of the run (the
// program is ending); the series not confirmed stay on the computer.
void stopAll();

} // namespace History::Link
