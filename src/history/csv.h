#pragma once

// CSV files as French spreadsheets open them as they are (UTF-8 with a byte order mark, ";" between fields,
// a decimal comma), and CSV files as schools' administrations give them (UTF-8 or Windows-1252, ";" or ",",
// fields in quotes, blank lines).

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace Csv {

// A number with a decimal comma and at most decimals decimals, trailing zeros dropped ("12,5", "3").
QString number(double value, int decimals = 1);
// One field, in quotes when it holds a separator, a quote or a line end.
QString field(const QString &text);
// One line of fields separated by ";" and ended by CR LF.
QString line(const QStringList &fields);
// A whole document: the byte order mark and the lines, in UTF-8.
QByteArray document(const QList<QStringList> &rows);

// The rows of a CSV file: the encoding and the separator (";" or ",", whichever the first line that is not
// blank has more of outside quotes) found from the bytes; quoted fields may hold separators, doubled quotes
// and line ends; blank lines are left out; fields are trimmed.
QList<QStringList> parse(const QByteArray &bytes);

} // namespace Csv
