#pragma once

// The history of every series: one SQLite database in $XDG_DATA_HOME/frappin/ (by default
// ~/.local/share/frappin/historique.sqlite), beside the settings store and never in place of it; or, in a
// school, a PostgreSQL database shared by the classroom's computers (section "Resultats" of
// Configuration.ini).
//
// This module is the only one that opens a database. The schema, the same on both engines, is created and
// versioned here (SQLite: PRAGMA user_version; PostgreSQL: the comment of the table "serie"), foreign keys
// are on, every write is one transaction and every query is prepared. Each series carries an identifier made
// where it ended, unique in the schema, so that a series sent twice is stored once.
//
// A database that cannot be opened or written never holds a series up: the wait for a local lock is short,
// and a record that could not be written is kept in a small file beside the database
// (historique-en-attente.json) and written at the next start. With a server ("Service"), the local database
// is the queue of the series not yet sent: a thread of its own sends them after each series and at start-up,
// within libpq's connect timeout, and removes them once the server has them. The local files and their
// folder are readable by their owner only.

#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

namespace History {

// One series.
struct Record {
    QString pupil;      // the name the results are stored under ("Dernière")
    QDateTime start;    // when the series started (kept in UTC)
    double seconds = 0; // how long it took
    int grade = 0;      // out of 20
    qint64 characters = 0;
    qint64 mistakes = 0;
    int level = 1;                          // the guide level as the results keep it, 1 to 3
    QString wordList;                       // the word list's file name
    QMap<QString, int> mistakesByCharacter; // by the character that was expected
    QString uuid = {};     // the series' identifier, made where it ended (when it is first appended)
    QString computer = {}; // read from the server: the name the computer gave and the address it came from
    bool dictee = false;   // the words were said, not shown: a spelling exercise as much as a typing one
    QString lesson = {};   // the lesson this series moved the pupil on to (file name), else empty

    // Characters per minute, or 0 for a series of no time.
    double speed() const { return seconds > 0 ? characters * 60.0 / seconds : 0; }
    bool operator==(const Record &) const = default;
};

// The schema version this program writes.
inline constexpr int SchemaVersion = 4;

QString folder();
// Creates the folder, readable by its owner only; returns false when it cannot be made.
bool ownFolder();
QString databasePath();
QString pendingPath();

// Appends a record to the local database; when it cannot be written it is kept in the pending file. With a
// server, starts sending the local records. Returns the empty text on success, otherwise why, in French (a
// server that cannot be reached is no failure: the record waits in the local database).
QString append(const Record &record);
// Writes the pending records, if any, in one transaction and removes the pending file; with a server, starts
// sending the local records. Returns the empty text when nothing is left pending, otherwise why, in French.
QString writePending();
// The records kept in the pending file.
QList<Record> pending();
// Waits until the local records that were being sent are sent or left for the next time (each wait on the
// server is bounded). When the application ends, a send is given a moment and then stopped.
void waitForSending();

// The series of a pupil (every pupil's when empty), oldest first, from the class's server when the teacher's
// service ("ServiceEnseignant") is set, otherwise from the local database; error receives why when the
// database cannot be read (a missing local database is an empty history).
QList<Record> records(const QString &pupil = QString(), QString *error = nullptr);
// The series of the local database (with a server, those not sent yet), as records() gives them.
QList<Record> localRecords(const QString &pupil = QString(), QString *error = nullptr);
// The mistakes by character of a pupil's last series (at most count of them) in the local database, added
// up; reads only those series, however long the history. Empty when there is none or it cannot be read.
QMap<QString, int> recentMistakes(const QString &pupil, int count);
// Creates or upgrades the schema on the server of a PostgreSQL service, with that service's role (the owner
// of the tables), and sets what the owner may set for the other roles. Returns the empty text on success,
// otherwise why, in French; unseen receives the pupils' roles whose statements the server still shows to the
// other sessions of the role (only a superuser may turn that off).
QString prepareServer(const QString &service, QStringList *unseen = nullptr);
// The pupil's lesson as the school's server last said it (the lesson of the pupil's latest series there, or
// the teacher's later move), at once and without waiting on the network: the sender asks the server in the
// background when it sends and at start-up, and a pupil not asked yet is asked then. Empty when the server
// has not said (unknown, unreachable, no server) and while a series of that pupil waits on this computer, so
// that newer progress made here is never replaced by an older answer.
QString serverLesson(const QString &pupil);
// The teacher's move of a pupil to a lesson (file name), on the server through the teacher's service: it wins
// over the pupil's series that ended before it. Without a teacher's service there is nothing to do. Returns
// why it could not, in French.
QString moveLessonOnServer(const QString &pupil, const QString &lesson);
// Hides a series from the teacher's views on the server (it stays there, marked). Returns why it could not.
QString hide(const QString &uuid);
// With a server, "N séries attendent sur ce poste : <why>", in French, or the empty text when none waits.
QString waiting();
QString waitingReasonPath();

// A series as a row of a spreadsheet: date and time (local, "2026-12-06 14:05"), pupil, duration in seconds,
// grade, characters, mistakes, characters per minute, level, word list, mistakes by character ("e 3, é 1"),
// dictation ("oui" or "non"; last, so that what reads the earlier columns keeps reading them).
QStringList csvHeader();
QStringList csvFields(const Record &record);

} // namespace History
