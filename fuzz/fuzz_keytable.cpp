// The keyboard-file reader on any bytes: entry n is field 1 of the n-th data line, the reading stops at the
// first line that cannot be split or after 1025 entries, and no entry ever holds a comma or a line end.

#include "check.h"

#include "common/textfile.h"
#include "keyboard/expandword.h"
#include "keyboard/keytable.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString content = decodeTextFile(inputBytes(data, size));

    TextTable table;
    table.fill(Untouched);
    qint16 last = -7;
    parseKeyTable(content, table, last);

    // Field 1 of each data line, worked out from the limits alone (32 fields, 32,765 characters).
    QStringList expected;
    for (const QString &line : referenceLines(content)) {
        if (expected.size() == MaxListEntries)
            break;
        if (line.startsWith(u'#'))
            continue;
        const QStringList fields = line.split(u',');
        if (line.size() > 32765 || fields.size() > 32)
            break;
        expected.append(fields.size() > 1 ? fields[1] : QString());
    }

    FUZZ_CHECK(last >= -1 && last < MaxListEntries, QString::number(last));
    FUZZ_CHECK(last + 1 == expected.size(),
               QStringLiteral("last %1, %2 expected").arg(last).arg(expected.size()));
    for (int i = 0; i <= last; ++i) {
        const QString &entry = table[static_cast<std::size_t>(i)];
        FUZZ_CHECK(entry == expected[i], QStringLiteral("entry %1: '%2' instead of '%3'")
                                             .arg(i)
                                             .arg(visible(entry), visible(expected[i])));
        FUZZ_CHECK(!entry.contains(u',') && !entry.contains(u'\r') && !entry.contains(u'\n'), visible(entry));
    }
    for (int i = last + 1; i < MaxListEntries; ++i)
        FUZZ_CHECK(table[static_cast<std::size_t>(i)] == Untouched, QString::number(i));

    // The look-up finds the lowest index that holds a character, and nothing past the last entry.
    for (int i = 0; i <= last; ++i) {
        const int found = findKey(table, last, table[static_cast<std::size_t>(i)]);
        FUZZ_CHECK(found >= 0 && found <= i &&
                       table[static_cast<std::size_t>(found)] == table[static_cast<std::size_t>(i)],
                   QString::number(i));
    }
    FUZZ_CHECK(findKey(table, last, Untouched) == -1, QString());
    return 0;
}
