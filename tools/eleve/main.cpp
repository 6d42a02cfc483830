#include "eleve.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>

int main(int argc, char *argv[])
{
    // A file-size limit makes a write fail, which is told, instead of ending the command mid-write with its
    // lock file left behind.
    std::signal(SIGXFSZ, SIG_IGN);
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("frappin"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    const int status = runEleve(QCoreApplication::arguments().mid(1), out, err);
    out.flush();
    err.flush();
    return status;
}
