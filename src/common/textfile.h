#pragma once

// Reading and writing the program's plain-text data files (word lists, keyboard position file).
//
// The files come from Windows (Windows-1252, CR LF) as well as from Linux editors (UTF-8, LF). A file is read
// whole, decoded once, then cut into lines:
//   - a file that starts with a UTF-8 byte-order mark, or that is valid UTF-8 and holds multi-byte sequences,
//     is UTF-8; any other file is Windows-1252, in which every byte is one character;
//   - a line ends at CR LF, at a lone CR or at a lone LF; the end of the file ends the last line, so a file
//     whose last line has a line end holds no extra empty line;
//   - letters written decomposed (a base letter and a combining accent, as some Linux and macOS tools write
//     them) are read composed, so that "école" is the same word whichever way it was written.
// Files are written as Windows-1252 with CR LF, unless a file is written back in the encoding it was read in.

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <optional>

enum class TextEncoding { Windows1252, Utf8, Utf8WithMark };

// Decodes the bytes of a text file by the rule above; *encoding, when given, receives the encoding found.
QString decodeTextFile(const QByteArray &bytes, TextEncoding *encoding = nullptr);
// The bytes of text in an encoding, or nothing when Windows-1252 cannot hold one of its characters.
std::optional<QByteArray> encodeTextFile(QStringView text, TextEncoding encoding);

// Windows-1252 decoding and encoding. encodeWindows1252 returns nothing when a character has no byte in the
// code page, so that a caller can refuse the text instead of writing "?".
QString decodeWindows1252(const QByteArray &bytes);
std::optional<QByteArray> encodeWindows1252(QStringView text);
bool fitsWindows1252(QStringView text);

// The decoded content of a file, or nothing when it is not an ordinary file that can be opened for reading
// (missing, a folder, a named pipe or a device, no permission). A read error part-way keeps what was read
// before it. With maxBytes, only that much of a larger file is read, cut back to its last whole line.
std::optional<QString> readTextFile(const QString &path, qint64 maxBytes = -1,
                                    TextEncoding *encoding = nullptr);

// What the two loaders read of a file at most: far more than 1025 lines of any sensible length, far less
// than a mistaken multi-gigabyte file would cost in memory and time.
inline constexpr qint64 DataFileReadLimit = 64 * 1024 * 1024;

// Walks the lines of a decoded text without copying it.
class LineReader {
public:
    explicit LineReader(QStringView text) : m_text(text) {}

    bool atEnd() const { return m_pos >= m_text.size(); }
    // The next line without its line end; call only when not atEnd().
    QStringView next();

private:
    QStringView m_text;
    qsizetype m_pos = 0;
};
