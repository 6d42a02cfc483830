#pragma once

// A property that must hold for every input: when it does not, the target stops with the reason, and
// libFuzzer keeps the input that broke it as a crash artifact.

#include <QByteArray>
#include <QString>
#include <QStringDecoder>
#include <QStringList>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

[[noreturn]] inline void propertyFailed(const char *what, const char *file, int line, const QString &detail)
{
    std::fprintf(stderr, "PROPERTY FAILED at %s:%d: %s\n%s\n", file, line, what, qPrintable(detail));
    std::abort();
}

#define FUZZ_CHECK(condition, detail)                                                                        \
    do {                                                                                                     \
        if (!(condition))                                                                                    \
            propertyFailed(#condition, __FILE__, __LINE__, (detail));                                        \
    } while (false)

// The fuzzer's input, not copied; and what a reader leaves in the entries it must not touch.
inline QByteArray inputBytes(const std::uint8_t *data, std::size_t size)
{
    return QByteArray::fromRawData(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
}
inline const QString Untouched = QStringLiteral("\x01untouched");

inline bool isValidUtf8(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    (void)utf8(bytes);
    return !utf8.hasError();
}

// A text for a failure message: its first 200 characters, control characters escaped.
inline QString visible(const QString &text)
{
    QString out;
    for (QChar c : text.left(200))
        out += c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() < 0xA0)
                   ? QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'))
                   : QString(c);
    return out;
}

// The lines of a decoded text by a rule written independently of LineReader: every CR LF and every lone CR
// becomes LF, the text is cut at LF, and the end of the text ends the last line.
inline QStringList referenceLines(const QString &text)
{
    if (text.isEmpty())
        return {};
    QString unified = text;
    unified.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    unified.replace(u'\r', u'\n');
    QStringList lines = unified.split(u'\n');
    if (unified.endsWith(u'\n'))
        lines.removeLast();
    return lines;
}
