#include "words/editorfile.h"

#include "common/text.h"
#include "common/textfile.h"

#include <QCollator>
#include <QLocale>
#include <QSet>

EditorFile readEditorFile(QStringView content)
{
    EditorFile file;
    for (LineReader lines(content); !lines.atEnd();) {
        const QStringView line = lines.next();
        const QString trimmed = trimBlanks(line);
        if (trimmed.startsWith(u'#')) {
            file.keptLines.append(line.toString());
            continue;
        }
        const qsizetype comma = line.indexOf(u',');
        const QString word = trimBlanks(comma < 0 ? line : line.first(comma));
        if (!word.isEmpty())
            file.words.append(word);
    }
    return file;
}

std::optional<QByteArray> writeEditorFile(const EditorFile &file, QString *badLine)
{
    QStringList lines = file.keptLines;
    for (const QString &word : file.words)
        lines.append(trimBlanks(word) + QStringLiteral(",,"));

    QByteArray bytes;
    for (const QString &line : lines) {
        const std::optional<QByteArray> encoded =
            encodeTextFile(line, file.encoding == TextEncoding::Windows1252 ? TextEncoding::Windows1252
                                                                            : TextEncoding::Utf8);
        if (!encoded) {
            if (badLine)
                *badLine = line;
            return std::nullopt;
        }
        bytes += *encoded;
        bytes += "\r\n";
    }
    // An empty list is an empty file, whatever it was read in. A first line that starts with U+FEFF would be
    // read back as a mark and lose it: a mark before it keeps it.
    const QByteArray mark("\xEF\xBB\xBF");
    const bool marked = file.encoding == TextEncoding::Utf8WithMark ||
                        (file.encoding == TextEncoding::Utf8 && bytes.startsWith(mark));
    return marked && !bytes.isEmpty() ? mark + bytes : bytes;
}

QString firstCharacterOutsideWindows1252(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        // A character outside the basic plane is two UTF-16 units: report it whole.
        const qsizetype length = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QStringView character = text.sliced(i, length);
        if (!fitsWindows1252(character))
            return character.toString();
        i += length - 1;
    }
    return {};
}

bool frenchLessThan(const QString &a, const QString &b)
{
    static const QCollator collator{QLocale(QLocale::French)};
    const int order = collator.compare(a, b);
    // Texts that the collation finds equal still get a fixed order, so that a sorted list never depends on
    // the order of insertion.
    return order != 0 ? order < 0 : a < b;
}

QStringList mergeWords(const QStringList &base, const QStringList &ours, const QStringList &theirs)
{
    const QSet<QString> before(base.begin(), base.end());
    const QSet<QString> kept(ours.begin(), ours.end());
    QStringList merged;
    QSet<QString> seen;
    const auto add = [&](const QString &word) {
        if (!seen.contains(word)) {
            seen.insert(word);
            merged.append(word);
        }
    };
    for (const QString &word : theirs) {
        if (!before.contains(word) || kept.contains(word))
            add(word);
    }
    for (const QString &word : ours) {
        if (!before.contains(word))
            add(word);
    }
    return merged;
}
