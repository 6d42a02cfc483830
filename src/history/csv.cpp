#include "history/csv.h"

#include "common/textfile.h"

#include <QLocale>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace Csv {

QString number(double value, int decimals)
{
    if (!std::isfinite(value))
        return QString();
    QString text = QString::number(value, 'f', decimals);
    if (text.contains(u'.')) {
        while (text.endsWith(u'0'))
            text.chop(1);
        if (text.endsWith(u'.'))
            text.chop(1);
    }
    if (text == QStringLiteral("-0"))
        text = QStringLiteral("0");
    return text.replace(u'.', u',');
}

QString field(const QString &given, Reader reader)
{
    static const QRegularExpression number(QStringLiteral("^-[0-9]+(,[0-9]+)?$"));
    QString text = given;
    if (reader == Reader::Spreadsheet && !text.isEmpty() && QStringLiteral("=+-@\t\r").contains(text[0]) &&
        !number.match(text).hasMatch())
        text.prepend(u'\'');
    if (!text.contains(u';') && !text.contains(u'"') && !text.contains(u'\n') && !text.contains(u'\r'))
        return text;
    return u'"' + text.replace(u'"', QStringLiteral("\"\"")) + u'"';
}

QString line(const QStringList &fields, Reader reader)
{
    QStringList quoted;
    for (const QString &text : fields)
        quoted.append(field(text, reader));
    return quoted.join(u';') + QStringLiteral("\r\n");
}

QByteArray document(const QList<QStringList> &rows, Reader reader)
{
    QString text = QStringLiteral("\uFEFF");
    for (const QStringList &row : rows)
        text += line(row, reader);
    return text.toUtf8();
}

namespace {

QChar separatorOf(QStringView text)
{
    int semicolons = 0;
    int commas = 0;
    bool quoted = false;
    bool seen = false;
    for (const QChar c : text) {
        if (c == u'"')
            quoted = !quoted;
        else if (!quoted && (c == u'\n' || c == u'\r')) {
            if (seen)
                break;
        } else if (!quoted && c == u';')
            ++semicolons;
        else if (!quoted && c == u',')
            ++commas;
        if (!c.isSpace())
            seen = true;
    }
    return commas > semicolons ? u',' : u';';
}

} // namespace

QList<QStringList> parse(const QByteArray &bytes)
{
    QString text = decodeTextFile(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    const QChar separator = separatorOf(text);
    QList<QStringList> rows;
    QStringList row;
    QString current;
    bool quoted = false;
    const auto endRow = [&] {
        row.append(current.trimmed());
        current.clear();
        if (std::any_of(row.begin(), row.end(), [](const QString &f) { return !f.isEmpty(); }))
            rows.append(row);
        row.clear();
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"' && i + 1 < text.size() && text[i + 1] == u'"') {
                current += u'"';
                ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                current += c;
            }
        } else if (c == u'"') {
            quoted = true;
        } else if (c == separator) {
            row.append(current.trimmed());
            current.clear();
        } else if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            endRow();
        } else {
            current += c;
        }
    }
    if (!current.isEmpty() || !row.isEmpty())
        endRow();
    return rows;
}

} // namespace Csv
