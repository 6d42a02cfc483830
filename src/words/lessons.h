#pragma once

// The lessons of the path: the word lists of the program's folder whose names begin with two digits from
// "01" to "19", in the order of their names. A school may add, replace or remove them; a pupil's lesson is
// stored by its file name, so every reading here copes with a name that is no longer there.

#include <QString>
#include <QStringList>

namespace Lessons {

// The lessons' file names (not paths) in folder, sorted by name; by default the program's folder.
QStringList inFolder(const QString &folder = QString());
// The lesson a pupil is at, from the name stored for them: that name when it is still a lesson; when it is
// gone (removed or renamed), the first lesson whose name sorts after it, or the last lesson when none does;
// the first lesson when nothing is stored. Empty when there is no lesson at all.
QString current(const QStringList &lessons, const QString &stored);
// 1-based place of a lesson in lessons, 0 when it is not one of them.
int number(const QStringList &lessons, const QString &lesson);
// What a lesson teaches, for a child to read: its file name without the number and the extension
// ("03 rangée du bas.mot" gives "rangée du bas").
QString title(const QString &lesson);

} // namespace Lessons
