#include "exercise/typing.h"

#include <array>
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

std::optional<DeadKeyStrokes> deadKeyStrokes(QStringView letter)
{
    struct Row {
        char16_t letter;
        char16_t deadKey;
        char16_t base;
    };
    static constexpr std::array<Row, 7> table{{
        {u'ê', u'^', u'e'},
        {u'â', u'^', u'a'},
        {u'î', u'^', u'i'},
        {u'ô', u'^', u'o'},
        {u'ë', u'¨', u'e'},
        {u'ä', u'¨', u'a'},
        {u'ï', u'¨', u'i'},
    }};
    if (letter.size() != 1)
        return std::nullopt;
    for (const Row &row : table) {
        if (letter[0] == row.letter)
            return DeadKeyStrokes{QString(QChar(row.deadKey)), QString(QChar(row.base))};
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
