#include "words/lessons.h"

#include "common/platform.h"

#include <QDir>

#include <algorithm>

namespace Lessons {

namespace {
bool isLessonName(const QString &name)
{
    if (name.size() < 2 || !name.at(0).isDigit() || !name.at(1).isDigit() ||
        !name.endsWith(QLatin1String(".mot"), Qt::CaseInsensitive))
        return false;
    const int n = name.left(2).toInt();
    return n >= 1 && n <= 19 && name.at(0).unicode() < 0x80 && name.at(1).unicode() < 0x80;
}
} // namespace

QStringList inFolder(const QString &folder)
{
    const QDir dir(folder.isEmpty() ? programFolder() : folder);
    QStringList lessons;
    for (const QString &name : dir.entryList(QDir::Files | QDir::Readable, QDir::Name))
        if (isLessonName(name))
            lessons << name;
    std::sort(lessons.begin(), lessons.end());
    return lessons;
}

QString current(const QStringList &lessons, const QString &stored)
{
    if (lessons.isEmpty())
        return {};
    if (stored.isEmpty())
        return lessons.first();
    if (lessons.contains(stored))
        return stored;
    const auto after = std::upper_bound(lessons.begin(), lessons.end(), stored);
    return after == lessons.end() ? lessons.last() : *after;
}

int number(const QStringList &lessons, const QString &lesson)
{
    return int(lessons.indexOf(lesson)) + 1;
}

QString title(const QString &lesson)
{
    QString name = lesson;
    if (name.endsWith(QLatin1String(".mot"), Qt::CaseInsensitive))
        name.chop(4);
    if (name.size() >= 2 && name.at(0).isDigit() && name.at(1).isDigit())
        name.remove(0, 2);
    return name.trimmed();
}

} // namespace Lessons
