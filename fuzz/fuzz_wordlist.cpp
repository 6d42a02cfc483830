// The word-list reader on any bytes: the list holds the file's first 1025 word lines, whole and in order,
// never a comment line or a line end, and leaves the entries past the last word as they were.

#include "check.h"

#include "common/textfile.h"
#include "words/wordlist.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString content = decodeTextFile(inputBytes(data, size));

    TextTable phrases;
    phrases.fill(Untouched);
    qint16 count = -7;
    parseWordList(content, phrases, count);

    QStringList expected;
    QString lastComment;
    for (const QString &line : referenceLines(content)) {
        if (expected.size() == MaxListEntries)
            break;
        if (line.startsWith(u'#'))
            lastComment = line;
        else {
            expected.append(line);
            lastComment.clear();
        }
    }

    FUZZ_CHECK(count >= 0 && count <= MaxListEntries, QString::number(count));
    FUZZ_CHECK(count == expected.size(),
               QStringLiteral("%1 loaded, %2 expected").arg(count).arg(expected.size()));
    for (int i = 0; i < count; ++i) {
        const QString &entry = phrases[static_cast<std::size_t>(i)];
        FUZZ_CHECK(entry == expected[i], QStringLiteral("entry %1: '%2' instead of '%3'")
                                             .arg(i)
                                             .arg(visible(entry), visible(expected[i])));
        FUZZ_CHECK(!entry.contains(u'\r') && !entry.contains(u'\n'), visible(entry));
        FUZZ_CHECK(!entry.startsWith(u'#'), visible(entry));
    }
    // The entry after the last word holds the comment line read last, if any, else it is untouched.
    if (count < MaxListEntries) {
        const QString &after = phrases[static_cast<std::size_t>(count)];
        FUZZ_CHECK(after == (lastComment.isNull() ? Untouched : lastComment), visible(after));
    }
    for (int i = count + 1; i < MaxListEntries; ++i)
        FUZZ_CHECK(phrases[static_cast<std::size_t>(i)] == Untouched, QString::number(i));
    return 0;
}
