#include "common/text.h"

QString trimBlanks(QStringView text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first] == u' ')
        ++first;
    while (last > first && text[last - 1] == u' ')
        --last;
    return text.sliced(first, last - first).toString();
}

QString charAt(QStringView text, qsizetype n)
{
    if (n < 1 || n > text.size())
        return {};
    return QString(text[n - 1]);
}
