// ExpandWord on any text, short or past its limits: a line that fits is cut into fields that join back into
// it, the element after its last field is emptied and the higher ones keep what they held; a line that does
// not fit leaves every field as it was.
//
// The input's first two bytes give a number of "a" put before the text, so that the fuzzer reaches the
// 32,765-character limit without having to grow inputs that long; the rest is read as UTF-16 code units, so
// that any character, lone surrogates included, can appear.

#include "check.h"

#include "keyboard/expandword.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 2)
        return 0;
    const int padding = data[0] | (data[1] << 8);
    QString str(padding, u'a');
    for (std::size_t i = 2; i + 1 < size; i += 2)
        str.append(QChar(static_cast<char16_t>(data[i] | (data[i + 1] << 8))));
    const QString original = str;

    FieldTable champs;
    champs.fill(Untouched);
    const bool fits = ExpandWord(str, champs);

    FUZZ_CHECK(str == original, QStringLiteral("the caller's text changed"));
    const qsizetype commas = str.count(u',');
    FUZZ_CHECK(fits == (str.size() <= MaxSplitLength && commas <= MaxCommas),
               QStringLiteral("%1 characters, %2 commas, fits %3").arg(str.size()).arg(commas).arg(fits));
    if (!fits) {
        for (const QString &field : champs)
            FUZZ_CHECK(field == Untouched, QStringLiteral("a line that does not fit changed a field"));
        return 0;
    }

    const auto k = static_cast<std::size_t>(commas + 1);
    QStringList fields;
    for (std::size_t i = 0; i < k; ++i) {
        FUZZ_CHECK(!champs[i].contains(u','), visible(champs[i]));
        fields.append(champs[i]);
    }
    FUZZ_CHECK(fields.join(u',') == str, visible(fields.join(u',')));
    FUZZ_CHECK(champs[k].isEmpty(), visible(champs[k]));
    for (std::size_t i = k + 1; i < champs.size(); ++i)
        FUZZ_CHECK(champs[i] == Untouched, QString::number(i));
    return 0;
}
