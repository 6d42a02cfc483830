#pragma once

// The path's rules, without a window: when a pupil passes a lesson, and which words a series aims at.
//
// A pupil's place (lesson, series in a row that reached the grade, permis) is read from the pupil's section
// of the store before a series ends, moved on by afterSeries, and written back with the series' results in
// one write. The weak keys come from the mistakes of the pupil's last series in the local history; about one
// word in three is then drawn among the lesson's words that hold them.

#include <QDate>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <functional>

namespace Path {

// Series in a row on a lesson, at or above the grade to reach, that pass it.
inline constexpr int SeriesToPass = 2;
// The series whose mistakes choose the weak keys, and how many keys a series aims at.
inline constexpr int SeriesForWeakKeys = 5;
inline constexpr int WeakKeysAimed = 2;
// The share of words drawn among those holding a weak key.
inline constexpr double WeakShare = 1.0 / 3.0;

// The grade to reach from the stored setting: 16, 18 or 20; anything else is 18.
int gradeToReach(const QString &stored);

// What the pupil's section holds of the path.
struct Place {
    QString lesson; // the lesson's file name; empty for a new pupil
    int inARow = 0; // series in a row on that lesson that reached the grade
    QString permis; // yyyy-MM-dd, empty before the permis
    bool operator==(const Place &) const = default;
};

struct Step {
    Place place;               // what to store after the series
    bool passed = false;       // the series passed its lesson (the last one included)
    bool permisEarned = false; // ... and that lesson was the last, passed for the first time
};

// The pupil's place after a series of grade drawn from the list seriesList. A series counts only when it
// was drawn from the pupil's current lesson (Lessons::current of the stored one): a teacher who moved the
// pupil, or another pupil named meanwhile, must not pass a lesson on someone else's series. A stored lesson
// that is gone counts as the one after it, with no series in a row. Passing the last lesson gives the permis
// (dated today, kept when it is already there) and the pupil stays on it.
Step afterSeries(const QStringList &lessons, const Place &stored, const QString &seriesList, int grade,
                 int toReach, const QDate &today);

// The keys to practise: the characters with the most mistakes in missed (ties in the characters' order)
// that some word of words holds, at most WeakKeysAimed of them. A blank is no key to aim at.
QStringList weakKeys(const QMap<QString, int> &missed, const QStringList &words);
// The positions in words of the words holding at least one of keys.
QList<int> wordsHolding(const QStringList &words, const QStringList &keys);
// A position in [0, count): with weak positions, a share WeakShare of draws among them, the others (and every
// draw without them, with a single value of random, as before the path) uniform over all.
int draw(int count, const QList<int> &weak, const std::function<double()> &random);

} // namespace Path
