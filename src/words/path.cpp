#include "words/path.h"

#include "words/lessons.h"

#include <algorithm>
#include <cmath>

namespace Path {

int gradeToReach(const QString &stored)
{
    const int grade = stored.trimmed().toInt();
    return grade == 16 || grade == 20 ? grade : 18;
}

Step afterSeries(const QStringList &lessons, const Place &stored, const QString &seriesList, int grade,
                 int toReach, const QDate &today)
{
    Step step;
    step.place = stored;
    const QString current = Lessons::current(lessons, stored.lesson);
    if (current.isEmpty())
        return step;
    step.place.lesson = current;
    if (current != stored.lesson)
        step.place.inARow = 0;
    if (seriesList != current)
        return step;
    if (grade < toReach) {
        step.place.inARow = 0;
        return step;
    }
    step.place.inARow = std::clamp(step.place.inARow, 0, SeriesToPass - 1) + 1;
    if (step.place.inARow < SeriesToPass)
        return step;
    step.passed = true;
    step.place.inARow = 0;
    const int number = Lessons::number(lessons, current);
    if (number < lessons.size()) {
        step.place.lesson = lessons.at(number);
    } else if (stored.permis.isEmpty()) {
        step.permisEarned = true;
        step.place.permis = today.toString(Qt::ISODate);
    }
    return step;
}

QStringList weakKeys(const QMap<QString, int> &missed, const QStringList &words)
{
    QList<std::pair<int, QString>> ranked;
    for (auto it = missed.cbegin(); it != missed.cend(); ++it) {
        if (it.value() <= 0 || it.key().trimmed().isEmpty())
            continue;
        const QString &key = it.key();
        if (std::any_of(words.cbegin(), words.cend(), [&](const QString &w) { return w.contains(key); }))
            ranked.append({-it.value(), key});
    }
    // The map gives the keys in their order, so that a stable sort by count keeps it among ties.
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    QStringList keys;
    for (const auto &entry : ranked) {
        if (keys.size() == WeakKeysAimed)
            break;
        keys.append(entry.second);
    }
    return keys;
}

QList<int> wordsHolding(const QStringList &words, const QStringList &keys)
{
    QList<int> found;
    for (int i = 0; i < words.size(); ++i) {
        if (std::any_of(keys.cbegin(), keys.cend(),
                        [&](const QString &k) { return words.at(i).contains(k); }))
            found.append(i);
    }
    return found;
}

int draw(int count, const QList<int> &weak, const std::function<double()> &random)
{
    const auto within = [&](int size) {
        return std::clamp(static_cast<int>(std::floor(random() * size)), 0, std::max(size - 1, 0));
    };
    if (!weak.isEmpty() && random() < WeakShare)
        return weak.at(within(static_cast<int>(weak.size())));
    return within(count);
}

} // namespace Path
