// The word-list editor's reading rule and its save on any bytes.
//
// Reading: one line gives at most one item; an item is a trimmed, non-empty word without a comma or a line
// end that does not start with "#", and the comment lines are kept whole.
// Saving: what was read is written in the encoding it was read in, and any list of words the editor accepts
// in Windows-1252, and read back unchanged; a save is refused only for a line holding a character that
// Windows-1252 cannot hold, and that line is named.
//
// One limit is inherent to reading files of either encoding: Windows-1252 bytes that happen to form valid
// UTF-8 (such as "Ã©", or a first word starting with "ï»¿") are read back as UTF-8. Such a file is still
// required to be valid UTF-8, so that nothing else can make the round trip fail unseen.

#include "check.h"

#include "common/text.h"
#include "common/textfile.h"
#include "words/editorfile.h"

namespace {

void checkRead(const QString &content, const EditorFile &file)
{
    QStringList words;
    QStringList kept;
    for (const QString &line : referenceLines(content)) {
        if (trimBlanks(line).startsWith(u'#')) {
            kept.append(line);
            continue;
        }
        const QString word = trimBlanks(line.section(u',', 0, 0));
        if (!word.isEmpty())
            words.append(word);
    }
    FUZZ_CHECK(file.words == words,
               QStringLiteral("%1 words, %2 expected").arg(file.words.size()).arg(words.size()));
    FUZZ_CHECK(file.keptLines == kept,
               QStringLiteral("%1 kept, %2 expected").arg(file.keptLines.size()).arg(kept.size()));
    for (const QString &word : file.words) {
        FUZZ_CHECK(!word.isEmpty() && trimBlanks(word) == word && !word.startsWith(u'#'), visible(word));
        FUZZ_CHECK(!word.contains(u',') && !word.contains(u'\r') && !word.contains(u'\n'), visible(word));
    }
    for (const QString &line : file.keptLines)
        FUZZ_CHECK(!line.contains(u'\r') && !line.contains(u'\n'), visible(line));
}

void checkSave(const EditorFile &file)
{
    QString badLine;
    const std::optional<QByteArray> bytes = writeEditorFile(file, &badLine);
    if (!bytes) {
        FUZZ_CHECK(!fitsWindows1252(badLine), visible(badLine));
        FUZZ_CHECK(file.keptLines.contains(badLine) || file.words.contains(badLine.chopped(2)),
                   visible(badLine));
        return;
    }
    FUZZ_CHECK(bytes->isEmpty() || bytes->endsWith("\r\n"), QString());
    FUZZ_CHECK(bytes->count("\r\n") == file.words.size() + file.keptLines.size(),
               QStringLiteral("%1 lines written").arg(bytes->count("\r\n")));

    const QString reread = decodeTextFile(*bytes);
    if (file.encoding == TextEncoding::Windows1252 && reread != decodeWindows1252(*bytes)) {
        FUZZ_CHECK(isValidUtf8(*bytes) || bytes->startsWith("\xEF\xBB\xBF"),
                   QStringLiteral("a Windows-1252 file read back as something else"));
        return;
    }
    const EditorFile back = readEditorFile(reread);
    FUZZ_CHECK(back.words == file.words, QStringLiteral("words changed by a save"));
    FUZZ_CHECK(back.keptLines == file.keptLines, QStringLiteral("comment lines changed by a save"));
}

// The words that the editor's add button takes from the lines of the input (the checks of frmMots).
QStringList acceptedWords(const QString &content)
{
    QStringList words;
    for (const QString &line : referenceLines(content)) {
        const QString word = trimBlanks(line);
        if (!word.isEmpty() && !word.contains(u',') && !word.startsWith(u'#') && fitsWindows1252(word))
            words.append(word);
    }
    return words;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    TextEncoding encoding = TextEncoding::Windows1252;
    const QString content = decodeTextFile(inputBytes(data, size), &encoding);

    EditorFile file = readEditorFile(content);
    file.encoding = encoding;
    checkRead(content, file);
    checkSave(file);
    checkSave({acceptedWords(content), {}, TextEncoding::Windows1252});
    return 0;
}
