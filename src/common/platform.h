#pragma once

// The program's contacts with its surroundings that tests need to fix: the program's folder, the clock and
// the random draw. Production code reads them here and nowhere else.

#include <QDateTime>
#include <QString>

#include <functional>

// The folder that holds the program and its data files, without a trailing "/".
QString programFolder();
// A path in the program's folder, built with "/" and shown to the user as tried.
QString programFile(const QString &name);

// What tells that a file changed: its time of change to the nanosecond, its size and its inode (a file
// replaced by a rename is another file). A file that cannot be reached has the empty stamp. Much cheaper than
// a QFileInfo's time, which is converted to local time: it is taken at the start of every series.
struct FileStamp {
    qint64 changed = -1;
    qint64 size = -1;
    quint64 inode = 0;
    bool operator==(const FileStamp &) const = default;
};
FileStamp fileStamp(const QString &path);

// The current date and time.
QDateTime currentDateTime();

// Seeds the random generator from the clock; the program does it once, at start-up.
void seedRandom();
// The next value of the random generator, uniform in [0, 1).
double nextRandom();

// Seams for tests. An empty folder, clock or draw brings back the real one.
void setProgramFolderForTests(const QString &folder);
void setClockForTests(std::function<QDateTime()> clock);
void setRandomForTests(std::function<double()> draw);
