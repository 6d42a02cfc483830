#include "common/platform.h"

#include <QCoreApplication>
#include <QFile>
#include <QRandomGenerator>

#include <sys/stat.h>

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

FileStamp fileStamp(const QString &path)
{
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return {};
    return {qint64(status.st_mtim.tv_sec) * 1'000'000'000 + status.st_mtim.tv_nsec, qint64(status.st_size),
            quint64(status.st_ino)};
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
