#pragma once

// The history of every series: one SQLite database in $XDG_DATA_HOME/frappin/ (by default
// ~/.local/share/frappin/historique.sqlite), beside the settings store and never in place of it.
//
// This module is the only one that opens the database. The schema is created and versioned here
// (PRAGMA user_version), foreign keys are on, and every write is one transaction. A database that cannot be
// opened or written never holds a series up: the wait for a lock is short, and a record that could not be
// written is kept in a small file beside the database (historique-en-attente.json) and written at the next
// start. The database, the pending file and their folder are readable by their owner only.

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

    // Characters per minute, or 0 for a series of no time.
    double speed() const { return seconds > 0 ? characters * 60.0 / seconds : 0; }
    bool operator==(const Record &) const = default;
};

// The schema version this program writes.
inline constexpr int SchemaVersion = 1;

QString folder();
// Creates the folder, readable by its owner only; returns false when it cannot be made.
bool ownFolder();
QString databasePath();
QString pendingPath();

// Appends a record; when it cannot be written it is kept in the pending file. Returns the empty text on
// success, otherwise why, in French.
QString append(const Record &record);
// Writes the pending records, if any, in one transaction and removes the pending file. Returns the empty
// text when nothing is left pending, otherwise why, in French.
QString writePending();
// The records kept in the pending file.
QList<Record> pending();

// The series of a pupil (every pupil's when empty), oldest first; error receives why when the database
// cannot be read (a missing database is an empty history).
QList<Record> records(const QString &pupil = QString(), QString *error = nullptr);
// The pupils with at least one series, in French alphabetical order.
QStringList pupils(QString *error = nullptr);

// A series as a row of a spreadsheet: date and time (local, "2026-12-06 14:05"), pupil, duration in seconds,
// grade, characters, mistakes, characters per minute, level, word list, mistakes by character ("e 3, é 1").
QStringList csvHeader();
QStringList csvFields(const Record &record);

} // namespace History
