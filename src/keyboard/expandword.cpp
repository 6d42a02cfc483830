#include "keyboard/expandword.h"

bool ExpandWord(QStringView str, FieldTable &champs)
{
    if (str.size() > MaxSplitLength || str.count(u',') > MaxCommas)
        return false;

    qsizetype start = 0;
    std::size_t k = 0;
    for (qsizetype i = 0; i < str.size(); ++i) {
        if (str[i] == u',') {
            champs[k++] = str.sliced(start, i - start).toString();
            start = i + 1;
        }
    }
    champs[k++] = str.sliced(start).toString();
    champs[k].clear();
    return true;
}
