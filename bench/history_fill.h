#pragma once

// A long history for the benchmarks, made fast: one series through the program makes the database and its
// schema, the others are added in one SQL statement (a transaction per series would take minutes).

#include "drive.h"
#include "history/history.h"
#include "settings/store.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace Drive {

// first is appended through the program; then series - 1 more, every spacing seconds from the first day of
// September of year, spread over the pupils "Élève 0" to "Élève <pupils - 1>", one in two with mistakes.
inline void fillHistory(const History::Record &first, int series, int pupils, int year, int spacing)
{
    if (const QString error = History::append(first); !error.isEmpty())
        fail(qPrintable(error));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fill"));
        db.setDatabaseName(History::databasePath());
        if (!db.open())
            fail("cannot open the history");
        QSqlQuery query(db);
        const QStringList statements = {
            QStringLiteral("BEGIN"),
            QStringLiteral(
                "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                "INSERT INTO serie (uuid, eleve, debut, duree, note, caracteres, fautes, niveau, liste) "
                "SELECT 'banc-' || i, 'Élève ' || (i % %2), "
                "strftime('%Y-%m-%dT%H:%M:%S.000Z', '%3-09-01', '+' || (i * %4) || ' seconds'), "
                "60 + i % 90, i % 21, 25 + i % 10, i % 7, 1 + i % 3, 'frappin.mot' FROM n")
                .arg(series - 1)
                .arg(std::max(pupils, 1))
                .arg(year)
                .arg(spacing),
            QStringLiteral(
                "INSERT INTO faute (serie, caractere, nombre) SELECT uuid, 'é', 1 + rowid % 3 FROM "
                "serie WHERE rowid % 2 = 0"),
            QStringLiteral("COMMIT"),
        };
        for (const QString &statement : statements) {
            if (!query.exec(statement))
                fail(qPrintable(query.lastError().text()));
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fill"));
}

} // namespace Drive
