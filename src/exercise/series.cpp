#include "exercise/series.h"

#include "settings/store.h"

#include <algorithm>
#include <cmath>
#include <limits>

std::optional<qsizetype> firstWrongOffset(QStringView typed, QStringView word)
{
    for (qsizetype i = 0; i < typed.size(); ++i) {
        if (i >= word.size() || typed[i] != word[i])
            return i;
    }
    return std::nullopt;
}

qint64 gradeOutOf20(qint64 mistakes, qint64 characters)
{
    // A series ends on a completed word, so there is at least one character; fewer is taken as one to keep
    // the division defined.
    const double perCharacter =
        static_cast<double>(mistakes) / static_cast<double>(std::max<qint64>(characters, 1));
    const double taken = std::floor(perCharacter * 20);
    constexpr double limit = static_cast<double>(std::numeric_limits<qint32>::max());
    return 20 - static_cast<qint64>(std::min(taken, limit));
}

void Series::start(int length, GuideLevel level, const QDateTime &now)
{
    EnCours = 1;
    FautesMot = 0;
    FautesSerie = 0;
    NbCaracteres = 0;
    FautesParCaractere.clear();
    Dictee = false;
    MotsRestants = length;
    NiveauGuide = level;
    HeureDebut = now;
}

std::optional<TypedCheck> Series::check(QStringView typed, QStringView word)
{
    if (MotsRestants == 0)
        return std::nullopt;
    TypedCheck found;
    found.wrongFrom = firstWrongOffset(typed, word);
    if (found.wrongFrom) {
        ++FautesMot;
        if (*found.wrongFrom < word.size())
            ++FautesParCaractere[word.sliced(*found.wrongFrom, 1).toString()];
    }
    found.completed = !typed.isEmpty() && typed == word;
    if (found.completed)
        FautesSerie += FautesMot;
    return found;
}

bool Series::wordDone(qsizetype wordLength, const QDateTime &now)
{
    MotsRestants -= 1;
    NbCaracteres += wordLength;
    if (MotsRestants != 0)
        return false;
    DureeSerie = static_cast<double>(HeureDebut.msecsTo(now)) / (1000.0 * Store::SecondsPerDay);
    return true;
}

SeriesResults Series::results(const QLocale &locale) const
{
    return {QString::number(grade()), locale.toString(DureeSerie, 'g', 15), QString::number(NbCaracteres),
            NiveauGuide.forResults(), Dictee};
}
