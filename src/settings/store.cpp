#include "settings/store.h"

#include "common/savefile.h"
#include "common/text.h"
#include "common/textfile.h"

#include <QByteArrayMatcher>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <optional>
#include <utility>

// The settings files are INI files that readers other than this program can use: section and key names are
// written in plain UTF-8 ("[Démarrage]", "Nombre de caractères=20"), and values as they stand unless they
// hold what INI readers take for syntax. Files in Qt's own escaped INI form ("[D%E9marrage]",
// "Dur%E9e=\"0,5\"") and files edited by hand, in UTF-8 or Windows-1252, are read too.
//
// The store reads the file afresh at each reading and writes it whole (saveWholeFile) under the lock file
// QSettings uses for it. A school's file may hold thousands of pupils' sections: a file is parsed only where
// a reading asks (IniFile), and a write changes the lines of its values in the bytes read rather than
// writing every value out again. It does not go through QSettings itself: QSettings keeps each file it has
// read in a cache of the process and reads it again only when its size or modification time has changed, so a
// file that another program rewrote within the same clock tick at the same size was served stale (seen as the
// pupil of the previous file), and a write could then have put the stale values back.

namespace {

constexpr char16_t Escape = u'%';

bool isHex(QChar c)
{
    return c.isDigit() || (c.unicode() >= u'a' && c.unicode() <= u'f') ||
           (c.unicode() >= u'A' && c.unicode() <= u'F');
}

// Undoes "%XX", "%UXXXX" and "\" for "/" in a section or key name.
QString unescapedName(QStringView name)
{
    QString out;
    out.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name[i];
        if (c == u'\\') {
            out += u'/';
        } else if (c == Escape && i + 5 < name.size() + 0 && name[i + 1] == u'U' && isHex(name[i + 2]) &&
                   isHex(name[i + 3]) && isHex(name[i + 4]) && isHex(name[i + 5])) {
            out += QChar(name.sliced(i + 2, 4).toUShort(nullptr, 16));
            i += 5;
        } else if (c == Escape && i + 2 < name.size() && isHex(name[i + 1]) && isHex(name[i + 2])) {
            out += QChar(name.sliced(i + 1, 2).toUShort(nullptr, 16));
            i += 2;
        } else {
            out += c;
        }
    }
    return out;
}

// A name as written: plain text, with only what an INI reader would misread escaped.
QString escapedName(QStringView name, bool section)
{
    QString out;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name[i];
        const bool edge = (i == 0 || i == name.size() - 1) && c.isSpace();
        const bool syntax = c == Escape || c == u'\\' || c == u'=' || c == u'[' || c == u']' ||
                            (i == 0 && (c == u';' || c == u'#'));
        if (c == u'/' && !section)
            out += u'\\';
        else if (edge || syntax || c.unicode() < 0x20 || c.unicode() == 0x7F)
            out += Escape + QString::number(c.unicode(), 16).toUpper().rightJustified(2, u'0');
        else
            out += c;
    }
    return out;
}

// The control characters a value spells with a backslash and a letter, both ways.
constexpr std::pair<char16_t, char16_t> ControlEscapes[] = {
    {u'\n', u'n'}, {u'\r', u'r'}, {u'\t', u't'}, {u'\a', u'a'},
    {u'\b', u'b'}, {u'\f', u'f'}, {u'\v', u'v'}, {u'\0', u'0'},
};

// A value as Qt's INI form writes it: quotes, backslash escapes, a comment after ";" outside quotes, and the
// "@" prefixes of typed values.
QString unescapedValue(QStringView text)
{
    QString out;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'"') {
            quoted = !quoted;
        } else if (c == u';' && !quoted) {
            break;
        } else if (c == u'\\' && i + 1 < text.size()) {
            const QChar e = text[++i];
            if (e == u'x') {
                qsizetype end = i + 1;
                while (end < text.size() && end < i + 5 && isHex(text[end]))
                    ++end;
                out += QChar(text.sliced(i + 1, end - i - 1).toUShort(nullptr, 16));
                i = end - 1;
            } else {
                const auto *escape = std::find_if(std::begin(ControlEscapes), std::end(ControlEscapes),
                                                  [e](const auto &pair) { return pair.second == e; });
                out += escape != std::end(ControlEscapes) ? QChar(escape->first) : e;
            }
        } else {
            out += c;
        }
    }
    if (!text.contains(u'"'))
        out = out.trimmed();
    if (out.startsWith(QStringLiteral("@@")))
        return out.sliced(1);
    for (const QLatin1StringView prefix : {QLatin1StringView("@String("), QLatin1StringView("@ByteArray(")}) {
        if (out.startsWith(prefix) && out.endsWith(u')'))
            return out.sliced(prefix.size(), out.size() - prefix.size() - 1);
    }
    return out;
}

// A value as written: as it stands, or quoted with escapes when it holds what a reader would take apart.
QString escapedValue(const QString &value)
{
    const bool plain =
        !value.isEmpty() && !value.front().isSpace() && !value.back().isSpace() && !value.startsWith(u'@') &&
        std::none_of(value.begin(), value.end(), [](QChar c) {
            return c == u'"' || c == u';' || c == u'\\' || c.unicode() < 0x20 || c.unicode() == 0x7F;
        });
    if (plain || value.isEmpty())
        return value;
    QString out = QStringLiteral("\"");
    for (const QChar c : value) {
        if (c == u'"' || c == u'\\')
            out += u'\\' + QString(c);
        else if (const auto *escape = std::find_if(std::begin(ControlEscapes), std::end(ControlEscapes),
                                                   [c](const auto &pair) { return pair.first == c; });
                 escape != std::end(ControlEscapes))
            out += u'\\' + QChar(escape->second);
        else if (c.unicode() < 0x20 ||
                 c.unicode() == 0x7F) // four digits: a letter after it is not read as one
            out += QStringLiteral("\\x") + QString::number(c.unicode(), 16).rightJustified(4, u'0');
        else
            out += c;
    }
    return out + u'"';
}

const QString GeneralSection = QStringLiteral("General");

// Values by their full name, "section/key" ("key" alone for keys of no section), in the writer's order.
using Values = QMap<QString, QString>;

// A line as the reader takes it: decoded on its own, since a file edited by hand may mix UTF-8 lines with
// Windows-1252 ones, or hold garbage between valid lines, and the valid lines must still be read; trimmed.
QString lineText(const char *bytes, qsizetype size)
{
    const bool ascii = std::all_of(bytes, bytes + size, [](char c) { return static_cast<uchar>(c) < 0x80; });
    if (ascii)
        return QString::fromLatin1(bytes, size).trimmed();
    return decodeTextFile(QByteArray(bytes, size)).trimmed();
}

// The section a header line names. "General" holds the keys of no section; a section of that name is written
// "%General".
QString sectionOfHeader(QStringView line)
{
    const qsizetype close = line.lastIndexOf(u']');
    const QStringView name = line.sliced(1, (close > 0 ? close : line.size()) - 1).trimmed();
    return name == GeneralSection               ? QString()
           : name == QStringLiteral("%General") ? GeneralSection
                                                : unescapedName(name);
}

// A settings file read: its bytes, and what was looked up in them. A school's file may hold thousands of
// pupils' sections: a section is found by searching the bytes for its header, and only the sections asked
// for are parsed, with no index of the whole file kept; a start-up then costs little more than a pupil's.
class IniFile {
public:
    IniFile() = default;
    explicit IniFile(QByteArray bytes) : m_bytes(std::move(bytes)) {}

    const QByteArray &bytes() const { return m_bytes; }

    // The value of a full name: the last one the file gives, as a reader going through it line by line
    // would keep.
    std::optional<QString> value(const QString &name)
    {
        std::optional<QString> found;
        for (const auto &[block, key] : candidates(name)) {
            for (const Entry &entry : block->entries) {
                if (entry.key == key)
                    found = entry.value;
            }
        }
        return found;
    }

    // Every value, the file read line by line.
    Values values() const
    {
        Values all;
        QString section;
        forEachLine(0, m_bytes.size(), [&](qsizetype begin, qsizetype end, qsizetype) {
            const QString text = lineText(m_bytes.constData() + begin, end - begin);
            if (text.startsWith(u'[')) {
                section = sectionOfHeader(text);
            } else if (auto entry = entryOf(text, begin, end)) {
                all.insert(section.isEmpty() ? entry->key : section + u'/' + entry->key, entry->value);
            }
            return true;
        });
        return all;
    }

    // Sets values of a section in the bytes, as writePlainIni would write the file's values with them when
    // the file is as it writes them; otherwise the file's other lines are kept as they are (comments, escaped
    // names, repeated sections), which a reader reads the same. False, with nothing changed, when the file
    // must be written whole instead: one not in plain UTF-8 with "\n" line ends, or a section the change of
    // lines cannot take.
    bool setValues(const QString &section, const QList<std::pair<QString, QString>> &pairs)
    {
        const qsizetype slash = section.indexOf(u'/');
        // The section as written: what comes before the name's first slash.
        const QString written = slash < 0 ? section : section.first(slash);
        if (!m_plain)
            m_plain = !m_bytes.contains('\r') && !m_bytes.startsWith("\xEF\xBB\xBF") &&
                      QByteArrayView(m_bytes).isValidUtf8();
        if (!*m_plain || written.isEmpty() || written == GeneralSection)
            return false;
        const QString prefix = slash < 0 ? QString() : section.sliced(slash + 1) + u'/';
        QMap<QString, QString> lines; // by key in the section as written; the last value of a key wins
        for (const auto &[key, value] : pairs)
            lines.insert(prefix + key, value);

        QList<Edit> edits;
        // Every line that gives one of the values goes; the new ones are the only ones left.
        for (auto it = lines.cbegin(); it != lines.cend(); ++it) {
            for (const auto &[block, key] : candidates(written + u'/' + it.key())) {
                for (const Entry &entry : block->entries) {
                    if (entry.key == key)
                        edits.append({entry.begin, entry.end, {}});
                }
            }
        }
        const auto lineOf = [](const QString &key, const QString &value) {
            return (escapedName(key, false) + u'=' + escapedValue(value)).toUtf8() + '\n';
        };
        if (const QList<Block> &own = blocksOf(written); !own.isEmpty()) {
            // In the section's last block, each among its keys in order.
            QList<Entry> kept;
            for (const Entry &entry : own.last().entries) {
                if (!lines.contains(entry.key))
                    kept.append(entry);
            }
            auto next = kept.cbegin();
            qsizetype at = kept.isEmpty() ? own.last().begin : kept.first().begin;
            QByteArray text;
            const auto flush = [&] {
                if (text.isEmpty())
                    return;
                if (at > 0 && m_bytes.at(at - 1) != '\n')
                    text.prepend('\n');
                edits.append({at, at, text});
                text.clear();
            };
            for (auto it = lines.cbegin(); it != lines.cend(); ++it) {
                while (next != kept.cend() && !(it.key() < next->key)) {
                    flush();
                    at = next->end;
                    ++next;
                }
                text += lineOf(it.key(), it.value());
            }
            flush();
        } else {
            // A new section, among the others in the writer's order.
            const QString after = written + u'/';
            qsizetype at = m_bytes.size();
            forEachHeader([&](qsizetype begin, qsizetype end, qsizetype) {
                const QString name = sectionOfHeader(lineText(m_bytes.constData() + begin, end - begin));
                if (name.isEmpty() || !(after < name + u'/'))
                    return true;
                at = begin;
                return false;
            });
            QByteArray text = '[' + escapedName(written, true).toUtf8() + "]\n";
            for (auto it = lines.cbegin(); it != lines.cend(); ++it)
                text += lineOf(it.key(), it.value());
            if (at < m_bytes.size())
                text += '\n';
            else if (!m_bytes.isEmpty())
                text.prepend(m_bytes.endsWith('\n') ? "\n" : "\n\n");
            edits.append({at, at, text});
        }
        edit(std::move(edits));
        return true;
    }

private:
    struct Entry {
        QString key;
        QString value;
        qsizetype begin; // its line, terminator included
        qsizetype end;
    };
    struct Block {
        qsizetype begin; // its first line after the header (the start of the file for the lines before any)
        qsizetype end;   // where the next header starts, or the end of the file
        QList<Entry> entries;
    };
    // Bytes that replace the range [begin, end).
    struct Edit {
        qsizetype begin;
        qsizetype end;
        QByteArray text;
    };

    // Calls action(begin, end, next) for each line of [from, to) (end before its terminator, next after it)
    // while it returns true.
    template <typename Action> void forEachLine(qsizetype from, qsizetype to, Action action) const
    {
        const char *bytes = m_bytes.constData();
        // Without "\r", the line ends are found by the C library's search, several times faster.
        const bool cr = std::memchr(bytes + from, '\r', static_cast<std::size_t>(to - from)) != nullptr;
        for (qsizetype begin = from; begin < to;) {
            qsizetype end = begin;
            if (!cr) {
                const void *lineEnd = std::memchr(bytes + begin, '\n', static_cast<std::size_t>(to - begin));
                end = lineEnd ? static_cast<const char *>(lineEnd) - bytes : to;
            } else {
                while (end < to && bytes[end] != '\n' && bytes[end] != '\r')
                    ++end;
            }
            const qsizetype next = std::min(end + 1, to);
            if (!action(begin, end, next))
                return;
            begin = next;
        }
    }

    // Whether a line may be a header: it starts with "[", maybe after blanks, or with a byte that is not
    // ASCII (a blank in another encoding, or a byte mark); the second are decoded to tell.
    bool isHeader(qsizetype begin, qsizetype end) const
    {
        const char *bytes = m_bytes.constData();
        qsizetype first = begin;
        while (first < end &&
               (bytes[first] == ' ' || bytes[first] == '\t' || bytes[first] == '\v' || bytes[first] == '\f'))
            ++first;
        if (first == end)
            return false;
        if (bytes[first] == '[')
            return true;
        return static_cast<uchar>(bytes[first]) >= 0x80 &&
               lineText(bytes + begin, end - begin).startsWith(u'[');
    }

    // A name that a header written "[name]" gives as it stands: no escape, no blank at its ends, no letter
    // past Latin Extended-A (in UTF-8, so that it is already in NFC), not "General".
    static bool isPlainName(QByteArrayView name)
    {
        if (name.isEmpty() || name == "General")
            return false;
        const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; };
        if (blank(name.front()) || blank(name.back()))
            return false;
        for (qsizetype i = 0; i < name.size(); ++i) {
            const auto c = static_cast<uchar>(name[i]);
            if (c >= 0x20 && c < 0x7F && c != '%' && c != '\\')
                continue;
            // U+0080 to U+017F, but for a blank at an end: no-break space and next line.
            if (c < 0xC2 || c > 0xC5 || i + 1 == name.size() ||
                (static_cast<uchar>(name[i + 1]) & 0xC0) != 0x80)
                return false;
            const auto d = static_cast<uchar>(name[i + 1]);
            if (c == 0xC2 && (d == 0x85 || d == 0xA0) && (i == 0 || i + 2 == name.size()))
                return false;
            ++i;
        }
        return true;
    }

    // The headers that are not plain ("[D%E9marrage]", blanks, other encodings) and the section each names,
    // found once: few files have any.
    const QList<std::pair<qsizetype, QString>> &otherHeaders()
    {
        if (m_othersFound)
            return m_others;
        m_othersFound = true;
        forEachHeader([&](qsizetype begin, qsizetype end, qsizetype next) {
            addIfOther(begin, end, next);
            return true;
        });
        return m_others;
    }

    // Calls action(begin, end, next) for each header line, as forEachLine does, while it returns true. A
    // header has a "[" on its line, in any encoding: only the lines with one are looked at, found by the C
    // library's search (a school's file has tens of thousands of lines of values).
    template <typename Action> void forEachHeader(Action action) const
    {
        const char *bytes = m_bytes.constData();
        const qsizetype size = m_bytes.size();
        for (qsizetype line = 0; line < size;) {
            const void *open = std::memchr(bytes + line, '[', static_cast<std::size_t>(size - line));
            if (!open)
                return;
            qsizetype begin = static_cast<const char *>(open) - bytes;
            qsizetype end = begin;
            while (begin > line && bytes[begin - 1] != '\n' && bytes[begin - 1] != '\r')
                --begin;
            while (end < size && bytes[end] != '\n' && bytes[end] != '\r')
                ++end;
            line = std::min(end + 1, size);
            if (isHeader(begin, end) && !action(begin, end, line))
                return;
        }
    }

    // Adds a header line to those that are not plain, if it is one of them.
    void addIfOther(qsizetype begin, qsizetype end, qsizetype next)
    {
        const char *bytes = m_bytes.constData();
        if (end - begin < 3 || bytes[begin] != '[' || bytes[end - 1] != ']' ||
            !isPlainName(QByteArrayView(bytes + begin + 1, end - begin - 2)))
            m_others.append({next, sectionOfHeader(lineText(bytes + begin, end - begin))});
    }

    // The blocks of a section in the file's order, found and parsed on first use.
    const QList<Block> &blocksOf(const QString &section)
    {
        const auto known = m_sections.constFind(section);
        if (known != m_sections.cend())
            return *known;
        QList<qsizetype> starts; // where the lines of each block begin
        if (section.isEmpty())
            starts.append(0);
        const QByteArray plain = section.toUtf8();
        if (isPlainName(plain)) {
            const QByteArray header = '[' + plain + ']';
            const QByteArrayMatcher matcher(header);
            const char *bytes = m_bytes.constData();
            const qsizetype size = m_bytes.size();
            for (qsizetype at = matcher.indexIn(m_bytes); at >= 0; at = matcher.indexIn(m_bytes, at + 1)) {
                const qsizetype end = at + header.size();
                if ((at == 0 || bytes[at - 1] == '\n' || bytes[at - 1] == '\r') &&
                    (end == size || bytes[end] == '\n' || bytes[end] == '\r'))
                    starts.append(std::min(end + 1, size));
            }
        }
        for (const auto &[next, name] : otherHeaders()) {
            if (name == section)
                starts.append(next);
        }
        std::sort(starts.begin(), starts.end());
        return *m_sections.insert(section, parsedBlocks(starts));
    }

    // The blocks whose lines begin at the starts given: each up to the next header.
    QList<Block> parsedBlocks(const QList<qsizetype> &starts) const
    {
        QList<Block> blocks;
        for (const qsizetype begin : starts) {
            Block block{begin, m_bytes.size(), {}};
            forEachLine(begin, m_bytes.size(), [&](qsizetype lineBegin, qsizetype end, qsizetype next) {
                if (isHeader(lineBegin, end)) {
                    block.end = lineBegin;
                    return false;
                }
                if (auto entry =
                        entryOf(lineText(m_bytes.constData() + lineBegin, end - lineBegin), lineBegin, next))
                    block.entries.append(std::move(*entry));
                return true;
            });
            blocks.append(std::move(block));
        }
        return blocks;
    }

    // The key and value of a line read, or none for a blank line, a comment or a line without a key.
    static std::optional<Entry> entryOf(const QString &text, qsizetype begin, qsizetype next)
    {
        const QStringView line(text);
        const qsizetype equals = line.indexOf(u'=');
        if (line.startsWith(u';') || line.startsWith(u'#') || equals <= 0)
            return std::nullopt;
        QString key = unescapedName(line.first(equals).trimmed());
        if (key.isEmpty())
            return std::nullopt;
        return Entry{std::move(key), unescapedValue(line.sliced(equals + 1).trimmed()), begin, next};
    }

    // The blocks that may give a full name, in the file's order, and the key it has in each: the name's
    // section is whatever comes before one of its slashes, or none.
    QList<std::pair<const Block *, QString>> candidates(const QString &name)
    {
        QList<std::pair<const Block *, QString>> found;
        const auto add = [&](const QString &section, const QString &key) {
            for (const Block &block : blocksOf(section))
                found.append({&block, key});
        };
        add(QString(), name);
        for (qsizetype slash = name.indexOf(u'/'); slash > 0; slash = name.indexOf(u'/', slash + 1))
            add(name.first(slash), name.sliced(slash + 1));
        std::sort(found.begin(), found.end(),
                  [](const auto &a, const auto &b) { return a.first->begin < b.first->begin; });
        return found;
    }

    // Makes the edits, which do not overlap (an insertion goes before a removal that starts where it is),
    // in the bytes themselves: a school's file of a megabyte is neither copied nor allocated again for the
    // few lines of a pupil. What was found of the lines outside the edited range is kept, moved with them.
    void edit(QList<Edit> edits)
    {
        if (edits.isEmpty())
            return;
        otherHeaders(); // found before the bytes change, then moved with their lines
        std::stable_sort(edits.begin(), edits.end(), [](const Edit &a, const Edit &b) {
            return a.begin != b.begin ? a.begin < b.begin : a.end < b.end;
        });
        const qsizetype from = edits.first().begin;
        const qsizetype to = edits.last().end;
        QByteArray middle;
        qsizetype at = from;
        for (const Edit &edit : std::as_const(edits)) {
            middle.append(m_bytes.constData() + at, edit.begin - at);
            middle.append(edit.text);
            at = edit.end;
        }
        m_bytes.replace(from, to - from, middle);
        const qsizetype shift = middle.size() - (to - from);
        const auto moved = [&](qsizetype &position) {
            if (position >= to)
                position += shift;
        };

        // Lines cut at a line end: the bytes (plain, as setValues found them) stay plain when the new ones
        // are.
        m_plain = !middle.contains('\r') && QByteArrayView(middle).isValidUtf8() &&
                  !m_bytes.startsWith("\xEF\xBB\xBF");

        // A section with a header among the lines edited (the unchanged lines between two edits included) is
        // looked up again; one with a block that reaches them is parsed again from the same headers, which
        // are all before or after them; the others are moved.
        forEachLine(from, from + middle.size(), [&](qsizetype begin, qsizetype end, qsizetype) {
            if (isHeader(begin, end))
                m_sections.remove(sectionOfHeader(lineText(m_bytes.constData() + begin, end - begin)));
            return true;
        });
        for (auto it = m_sections.begin(); it != m_sections.end();) {
            QList<qsizetype> starts;
            bool reached = false;
            for (Block &block : *it) {
                reached = reached || (block.begin <= to && block.end >= from);
                starts.append(block.begin > to ? block.begin + shift : block.begin);
                moved(block.begin);
                moved(block.end);
                for (Entry &entry : block.entries) {
                    moved(entry.begin);
                    moved(entry.end);
                }
            }
            if (reached)
                *(it++) = parsedBlocks(starts);
            else
                ++it;
        }
        // A header is known by where its line ends: those of the edited range go, those of its new lines
        // come.
        m_others.removeIf([&](const auto &other) { return other.first > from && other.first <= to; });
        for (auto &other : m_others) {
            if (other.first > to)
                other.first += shift;
        }
        forEachLine(from, from + middle.size(), [&](qsizetype begin, qsizetype end, qsizetype next) {
            if (isHeader(begin, end))
                addIfOther(begin, end, next);
            return true;
        });
    }

    QByteArray m_bytes;
    QHash<QString, QList<Block>> m_sections; // the sections looked up
    std::optional<bool> m_plain;             // in UTF-8 with "\n" line ends, once known
    bool m_othersFound = false;
    QList<std::pair<qsizetype, QString>> m_others;
};

QByteArray writePlainIni(const Values &map)
{
    QString text;
    QString current;
    bool first = true;
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        const qsizetype slash = it.key().indexOf(u'/');
        const QString section = slash < 0 ? GeneralSection : it.key().first(slash);
        const QString key = slash < 0 ? it.key() : it.key().sliced(slash + 1);
        if (first || section != current) {
            if (!first)
                text += u'\n';
            const QString name = slash < 0                   ? GeneralSection
                                 : section == GeneralSection ? QStringLiteral("%General")
                                                             : escapedName(section, true);
            text += u'[' + name + QStringLiteral("]\n");
            current = section;
            first = false;
        }
        text += escapedName(key, false) + u'=' + escapedValue(it.value()) + u'\n';
    }
    return text.toUtf8();
}

// The file of an application: $XDG_CONFIG_HOME/frappin/<application>.ini, where QSettings puts it too.
QString storeFile(const QString &application)
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/frappin/") + application + QStringLiteral(".ini");
}

// The settings files as last read or written, by path.
QHash<QString, IniFile> &files()
{
    static QHash<QString, IniFile> read;
    return read;
}

// A file read afresh. Only an ordinary file is read (a named pipe would wait for ever). The bytes are read
// each time; the file is indexed again only when they differ from those last read or written.
IniFile *load(const QString &path, bool *readable = nullptr)
{
    QFile file(path);
    const bool ok = QFileInfo(path).isFile() && file.open(QIODevice::ReadOnly);
    if (readable)
        *readable = ok || !QFileInfo::exists(path);
    static IniFile none;
    if (!ok) {
        none = IniFile();
        return &none;
    }
    IniFile &known = files()[path];
    // Compared piece by piece with the bytes known, so that a file read again and again costs no memory.
    const QByteArray &before = known.bytes();
    std::array<char, 65536> piece;
    qsizetype same = 0;
    qint64 got = 0;
    for (;;) {
        const qint64 wanted = same < before.size() ? std::min<qint64>(piece.size(), before.size() - same) : 1;
        got = file.read(piece.data(), wanted);
        if (got <= 0 || same + got > before.size() ||
            std::memcmp(piece.data(), before.constData() + same, static_cast<std::size_t>(got)) != 0)
            break;
        same += got;
    }
    if (got == 0 && same == before.size())
        return &known;
    QByteArray bytes;
    bytes.reserve(std::max<qint64>(file.size(), same + got) + 1);
    bytes.append(before.constData(), same);
    if (got > 0)
        bytes.append(piece.data(), got);
    for (qint64 more = 0; (more = file.read(piece.data(), piece.size())) > 0;)
        bytes.append(piece.data(), more);
    known = IniFile(std::move(bytes));
    return &known;
}

// Names are compared composed (NFC), as the reader composes every line it decodes: a section written
// "De" + U+0301 + "marrage" is read back as the teacher's "Démarrage", so it must be that one here too.
QString composed(const QString &name)
{
    return name.normalized(QString::NormalizationForm_C);
}

QString settingsKey(const QString &section, const QString &key)
{
    return composed(section) + u'/' + composed(key);
}

// Why the last write failed, in French.
QString &lastWriteError()
{
    static QString error;
    return error;
}

bool failWrite(const QString &error)
{
    lastWriteError() = error;
    return false;
}

// Sets values of an application's section, or removes one of its keys, in one write of the whole file.
bool writeValues(const QString &application, const QString &givenSection,
                 const QList<std::pair<QString, QString>> &givenValues, const QString &removedKey = {})
{
    const QString path = storeFile(application);
    const QString section = composed(givenSection);
    QList<std::pair<QString, QString>> values;
    for (const auto &[key, value] : givenValues)
        values.append({composed(key), value});
    // Grades of children are personal data: the folder and the file are for their owner only. The folder is
    // closed before the file is first written, so that no other account ever reads it.
    const QString folder = QFileInfo(path).absolutePath();
    if (QDir().mkpath(folder))
        QFile::setPermissions(folder,
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    // The lock QSettings takes for the same file: one writer at a time, whichever program it is.
    // A lock that is never released (a lock file the program cannot replace) fails the write, never the
    // series.
    QLockFile lock(path + QStringLiteral(".lock"));
    errno = 0;
    if (!lock.tryLock(2000)) {
        // The lock file could not be written (a full disk, a size limit: the error of its write is the last
        // one), or another program holds it.
        const int error = errno;
        return failWrite(lock.error() == QLockFile::LockFailedError
                             ? QStringLiteral("un autre programme est en train de l'écrire.")
                         : error != 0
                             ? systemErrorText(error)
                             : QStringLiteral("le verrou « %1 » n'a pas pu être créé.").arg(lock.fileName()));
    }
    bool readable = false;
    IniFile *known = load(path, &readable);
    // A file that cannot be read is never replaced by one that would lose its values.
    if (!readable)
        return failWrite(QStringLiteral("il ne peut pas être lu."));
    // The bytes known are changed where they are: the file kept goes with them, and comes back once written
    // (a failed write leaves none, so the next reading reads the file again).
    IniFile file = std::exchange(*known, IniFile());
    if (!removedKey.isEmpty()) {
        Values all = file.values();
        if (all.remove(settingsKey(section, removedKey)) == 0) {
            *known = std::move(file);
            return true;
        }
        file = IniFile(writePlainIni(all));
    } else if (!file.setValues(section, values)) {
        Values all = file.values();
        for (const auto &[key, value] : values)
            all.insert(settingsKey(section, key), value);
        file = IniFile(writePlainIni(all));
    }
    if (const QString error = saveWholeFile(path, file.bytes()); !error.isEmpty())
        return failWrite(error);
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    files()[path] = std::move(file);
    return true;
}

} // namespace

namespace Store {

QString filePath(const QString &application)
{
    return storeFile(application);
}

QString read(const QString &application, const QString &section, const QString &key,
             const QString &defaultValue)
{
    return load(storeFile(application))->value(settingsKey(section, key)).value_or(defaultValue);
}

bool write(const QString &application, const QString &section, const QString &key, const QString &value)
{
    return writeValues(application, section, {{key, value}});
}

bool write(const QString &application, const QString &section,
           const QList<std::pair<QString, QString>> &values)
{
    return writeValues(application, section, values);
}

QString writeError()
{
    return lastWriteError();
}

bool remove(const QString &application, const QString &section, const QString &key)
{
    return writeValues(application, section, {}, key);
}

QStringList sections(const QString &application)
{
    QStringList found;
    const Values map = load(storeFile(application))->values();
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        const qsizetype slash = it.key().indexOf(u'/');
        // The names of a section are together in the map's order.
        if (slash > 0 && (found.isEmpty() || found.last() != it.key().first(slash)))
            found.append(it.key().first(slash));
    }
    return found;
}

double readNumber(const QString &application, const QString &section, const QString &key, double defaultValue)
{
    bool ok = false;
    const double number = read(application, section, key, QString()).trimmed().toDouble(&ok);
    return ok && std::isfinite(number) ? number : defaultValue;
}

int exerciceSetting()
{
    const double stored = readNumber(Frappin, Demarrage, Exercice, 0);
    if (stored != std::floor(stored) || stored < 0 || stored > 3)
        return 0;
    return static_cast<int>(stored);
}

int seriesLength()
{
    return (exerciceSetting() + 1) * 5;
}

QString derniere(const QString &absent)
{
    return read(Frappin, Demarrage, Derniere, absent);
}

QString prenom()
{
    return read(Frappin, Demarrage, Prenom, QString());
}

QString nom()
{
    return read(Frappin, Demarrage, Nom, QString());
}

bool writePupilResults(const QList<std::pair<QString, QString>> &results, const QString &pupil)
{
    // The teacher's section is no pupil's, whichever way its name was written: its "Niveau" is the guide's.
    const QString section = composed(trimBlanks(pupil));
    return section.isEmpty() || section == Demarrage || writeValues(Frappin, section, results);
}

bool writePupilResult(const QString &key, const QString &value)
{
    return writePupilResults({{key, value}});
}

} // namespace Store
