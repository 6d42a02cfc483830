#pragma once

// Finding and launching a system-information program for the About box.
//
// The registry of the program names no tool on Linux, so the box falls back on the programs that Debian ships
// for that purpose, taken in the order of systemInfoPrograms() and looked for on the PATH. Launching goes
// through one seam so that tests never start a program.

#include <QString>
#include <QStringList>

#include <functional>

// The system-information programs looked for, in order of preference.
QStringList systemInfoPrograms();

// The full path of the first of systemInfoPrograms() found on the PATH, or the empty text when none is.
QString findSystemInfoProgram();

// Starts program on its own, detached from Frappin, with its window shown normally. Returns false when it
// could not be started (an empty or missing path, a file that is not a program).
bool launchProgram(const QString &program);

// Seam for tests: receives the program instead of starting it and says whether the start succeeded. An empty
// launcher brings back the real one.
void setLauncherForTests(std::function<bool(const QString &)> launcher);
