#include "eleve.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("frappin"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    const int status = runEleve(QCoreApplication::arguments().mid(1), out, err);
    out.flush();
    err.flush();
    return status;
}
