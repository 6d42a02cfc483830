// Decoding the data files on any bytes.
//  - Windows-1252: every byte is one character and encodes back to itself; a text of such characters fits.
//  - Round trips through a file: Windows-1252 text that is not also valid UTF-8, and any text written as
//    UTF-8 with a byte-order mark, or as UTF-8 holding an accented letter, read back as written.
// The lines the decoded text is cut into are the word list's, key table's and editor's properties.

#include "check.h"

#include "common/textfile.h"

#include <algorithm>

static bool hasNonAscii(const QString &text)
{
    return std::ranges::any_of(text, [](QChar c) { return c.unicode() >= 0x80; });
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = inputBytes(data, size);

    // Every byte is a character of the code page, and comes back as the same byte.
    const QString windows = decodeWindows1252(bytes);
    FUZZ_CHECK(windows.size() == bytes.size(), QString::number(windows.size()));
    FUZZ_CHECK(fitsWindows1252(windows), visible(windows));
    const std::optional<QByteArray> encoded = encodeWindows1252(windows);
    FUZZ_CHECK(encoded && *encoded == bytes, QStringLiteral("Windows-1252 round trip"));

    // A Windows-1252 file reads as written unless its bytes are also valid UTF-8 with a multi-byte sequence.
    const QString decoded = decodeTextFile(bytes);
    const bool ascii = !hasNonAscii(windows);
    if (ascii || (!isValidUtf8(bytes) && !bytes.startsWith("\xEF\xBB\xBF")))
        FUZZ_CHECK(decoded == windows, visible(decoded));

    // Text that holds characters outside Windows-1252 cannot be encoded, and is refused as a whole.
    const QString utf8Text = QString::fromUtf8(bytes);
    FUZZ_CHECK(encodeWindows1252(utf8Text).has_value() == fitsWindows1252(utf8Text), visible(utf8Text));

    // Any text written as UTF-8 with a byte-order mark reads back as written; without the mark, when it holds
    // a character outside ASCII. (fromUtf8 gave a text without lone surrogates, which UTF-8 cannot hold.)
    // UTF-8 text is read with its letters composed.
    const QString composed = utf8Text.normalized(QString::NormalizationForm_C);
    FUZZ_CHECK(decodeTextFile("\xEF\xBB\xBF" + utf8Text.toUtf8()) == composed, visible(utf8Text));
    if (hasNonAscii(utf8Text) && !utf8Text.startsWith(QChar(0xFEFF)))
        FUZZ_CHECK(decodeTextFile(utf8Text.toUtf8()) == composed, visible(utf8Text));
    return 0;
}
