#include "common/textfile.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>
#include <array>

namespace {

// Characters of the bytes 0x80 to 0x9F; the five bytes that the code page leaves undefined keep their C1
// control character, as Windows' own conversion does.
constexpr std::array<char16_t, 32> HighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

std::optional<char> windows1252Byte(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<char>(c);
    for (std::size_t i = 0; i < HighControls.size(); ++i) {
        if (HighControls[i] == c)
            return static_cast<char>(0x80 + i);
    }
    return std::nullopt;
}

bool hasHighBytes(const QByteArray &bytes)
{
    return std::any_of(bytes.begin(), bytes.end(),
                       [](char b) { return static_cast<unsigned char>(b) >= 0x80; });
}

} // namespace

QString decodeWindows1252(const QByteArray &bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (char b : bytes) {
        const auto byte = static_cast<unsigned char>(b);
        *out++ = (byte >= 0x80 && byte < 0xA0) ? QChar(HighControls[byte - 0x80]) : QChar(byte);
    }
    return text;
}

std::optional<QByteArray> encodeWindows1252(QStringView text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (QChar c : text) {
        const auto byte = windows1252Byte(c.unicode());
        if (!byte)
            return std::nullopt;
        bytes.append(*byte);
    }
    return bytes;
}

bool fitsWindows1252(QStringView text)
{
    return std::all_of(text.begin(), text.end(),
                       [](QChar c) { return windows1252Byte(c.unicode()).has_value(); });
}

namespace {

QString decodeBytes(const QByteArray &bytes, TextEncoding &encoding)
{
    static const QByteArray bom("\xEF\xBB\xBF");
    encoding = TextEncoding::Utf8WithMark;
    if (bytes.startsWith(bom)) {
        // Only the first mark belongs to the file: a second one is a character of the text, which
        // QString::fromUtf8 would drop.
        QStringDecoder utf8(QStringDecoder::Utf8,
                            QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
        return utf8(QByteArrayView(bytes).sliced(bom.size()));
    }
    if (hasHighBytes(bytes)) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString text = utf8(bytes);
        encoding = TextEncoding::Utf8;
        if (!utf8.hasError())
            return text;
    }
    encoding = TextEncoding::Windows1252;
    return decodeWindows1252(bytes);
}

} // namespace

QString decodeTextFile(const QByteArray &bytes, TextEncoding *encoding)
{
    TextEncoding found{};
    QString text = decodeBytes(bytes, found);
    if (encoding)
        *encoding = found;
    // Windows-1252 holds composed letters only: only UTF-8 can bring decomposed ones.
    if (found != TextEncoding::Windows1252)
        text = text.normalized(QString::NormalizationForm_C);
    return text;
}

std::optional<QByteArray> encodeTextFile(QStringView text, TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Windows1252:
        return encodeWindows1252(text);
    case TextEncoding::Utf8:
        return text.toUtf8();
    case TextEncoding::Utf8WithMark:
        return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
    }
    return std::nullopt;
}

std::optional<QString> readTextFile(const QString &path, qint64 maxBytes, TextEncoding *encoding)
{
    // Only an ordinary file is read: opening a named pipe waits for a writer, and a device such as /dev/zero
    // never ends, either of which would hold up the program for ever.
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    if (maxBytes < 0)
        return decodeTextFile(file.readAll(), encoding);

    // Qt would reserve maxBytes whatever the file's size: ask for no more than the file holds.
    QByteArray bytes = file.read(std::min(maxBytes, file.size()));
    if (!file.atEnd()) {
        // A cut through a line could also cut through a UTF-8 sequence and change the decoding of the whole.
        const qsizetype lastEnd = std::max(bytes.lastIndexOf('\n'), bytes.lastIndexOf('\r'));
        if (lastEnd >= 0)
            bytes.truncate(lastEnd + 1);
    }
    return decodeTextFile(bytes, encoding);
}

QStringView LineReader::next()
{
    const qsizetype start = m_pos;
    qsizetype end = start;
    while (end < m_text.size() && m_text[end] != u'\r' && m_text[end] != u'\n')
        ++end;
    m_pos = end;
    if (m_pos < m_text.size()) {
        if (m_text[m_pos] == u'\r' && m_pos + 1 < m_text.size() && m_text[m_pos + 1] == u'\n')
            m_pos += 2;
        else
            m_pos += 1;
    }
    return m_text.sliced(start, end - start);
}
