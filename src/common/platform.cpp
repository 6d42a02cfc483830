#include "common/platform.h"

#include <QCoreApplication>
#include <QRandomGenerator>

namespace {

QString folderOverride;
std::function<QDateTime()> clockOverride;
std::function<double()> randomOverride;
QRandomGenerator generator;

} // namespace

QString programFolder()
{
    if (!folderOverride.isEmpty())
        return folderOverride;
    return QCoreApplication::applicationDirPath();
}

QString programFile(const QString &name)
{
    return programFolder() + u'/' + name;
}

QDateTime currentDateTime()
{
    return clockOverride ? clockOverride() : QDateTime::currentDateTime();
}

void seedRandom()
{
    generator.seed(static_cast<quint32>(QDateTime::currentMSecsSinceEpoch()));
}

double nextRandom()
{
    return randomOverride ? randomOverride() : generator.generateDouble();
}

void setProgramFolderForTests(const QString &folder)
{
    folderOverride = folder;
}

void setClockForTests(std::function<QDateTime()> clock)
{
    clockOverride = std::move(clock);
}

void setRandomForTests(std::function<double()> draw)
{
    randomOverride = std::move(draw);
}
