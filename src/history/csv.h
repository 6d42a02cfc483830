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
// Who reads the file. A spreadsheet takes a field that begins with "=", "+", "-", "@", a tab or a carriage
// return for a formula (a pupil named "=2+3", or worse, run on opening): such a field gets a "'" in front,
// which spreadsheets show as text; a number ("-5", "-0,5") stays a number. A file only this program reads
// back (the class list) keeps every text as it is.
enum class Reader { Spreadsheet, Program };

// One field, in quotes when it holds a separator, a quote or a line end.
QString field(const QString &text, Reader reader = Reader::Spreadsheet);
// One line of fields separated by ";" and ended by CR LF.
QString line(const QStringList &fields, Reader reader = Reader::Spreadsheet);
// A whole document: the byte order mark and the lines, in UTF-8.
QByteArray document(const QList<QStringList> &rows, Reader reader = Reader::Spreadsheet);

// The rows of a CSV file: the encoding and the separator (";" or ",", whichever the first line that is not
// blank has more of outside quotes) found from the bytes; quoted fields may hold separators, doubled quotes
// and line ends; blank lines are left out; fields are trimmed.
QList<QStringList> parse(const QByteArray &bytes);

} // namespace Csv
