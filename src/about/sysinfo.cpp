#include "about/sysinfo.h"

#include <QProcess>
#include <QStandardPaths>

namespace {

std::function<bool(const QString &)> launcherOverride;

} // namespace

QStringList systemInfoPrograms()
{
    // Hardware and system summaries first; the process monitor, which also shows the system, last.
    return {QStringLiteral("hardinfo"), QStringLiteral("kinfocenter"), QStringLiteral("cpu-x"),
            QStringLiteral("lshw-gtk"), QStringLiteral("gnome-system-monitor")};
}

QString findSystemInfoProgram()
{
    for (const QString &name : systemInfoPrograms()) {
        const QString path = QStandardPaths::findExecutable(name);
        if (!path.isEmpty())
            return path;
    }
    return {};
}

bool launchProgram(const QString &program)
{
    if (program.isEmpty())
        return false;
    if (launcherOverride)
        return launcherOverride(program);
    return QProcess::startDetached(program, {});
}

void setLauncherForTests(std::function<bool(const QString &)> launcher)
{
    launcherOverride = std::move(launcher);
}
