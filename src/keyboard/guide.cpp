#include "keyboard/guide.h"

#include "common/text.h"
#include "common/userscale.h"
#include "keyboard/keycaps.h"
#include "keyboard/keytable.h"

#include <array>
#include <cmath>

GuideLevel GuideLevel::parse(const QString &stored)
{
    bool ok = false;
    const double value = stored.trimmed().toDouble(&ok);
    GuideLevel level;
    level.m_value = ok && std::isfinite(value) ? value : 0;
    return level;
}

GuideLevel::Adjustment GuideLevel::adjustment() const
{
    if (m_value == 0)
        return Adjustment::HideLeftHand;
    if (m_value == 1)
        return Adjustment::StartTimeOut;
    if (m_value == 2)
        return Adjustment::HideBothHands;
    return Adjustment::Nothing;
}

std::optional<DeadKeyStrokes> deadKeyStrokes(QStringView letter)
{
    struct Row {
        char16_t letter;
        char16_t deadKey;
        char16_t base;
    };
    static constexpr std::array<Row, 7> table{{
        {u'ê', u'^', u'e'},
        {u'â', u'^', u'a'},
        {u'î', u'^', u'i'},
        {u'ô', u'^', u'o'},
        {u'ë', u'¨', u'e'},
        {u'ä', u'¨', u'a'},
        {u'ï', u'¨', u'i'},
    }};
    if (letter.size() != 1)
        return std::nullopt;
    for (const Row &row : table) {
        if (letter[0] == row.letter)
            return DeadKeyStrokes{QString(QChar(row.deadKey)), QString(QChar(row.base))};
    }
    return std::nullopt;
}

Keystroke nextKeystroke(QStringView typed, QStringView word, qsizetype caret)
{
    if (auto strokes = deadKeyStrokes(charAt(word, typed.size() + 1)))
        return {std::move(strokes), {}};
    const qsizetype position = caret < typed.size() ? typed.size() : typed.size() + 1;
    return {std::nullopt, charAt(word, position)};
}

int markerOf(const TextTable &table, qint16 last, const QString &c)
{
    // Keys that type no character, such as Échap, must never be shown for "nothing left to type".
    if (c.isEmpty())
        return -1;
    const int index = findKey(table, last, c);
    return index < KeyCaps::Count ? index : -1;
}

QRectF markerUnits(int index)
{
    const QRect twips = KeyCaps::markerTwips(index);
    return {Scale::unitsX(twips.x()), Scale::unitsY(twips.y()), Scale::unitsX(twips.width()),
            Scale::unitsY(twips.height())};
}

QPoint handPlace(Hand hand, int index)
{
    const QRectF key = markerUnits(index);
    const double left = std::floor(key.left()) - (hand == Hand::Left ? 2 * std::floor(key.width()) : 0);
    const double top = std::floor(key.top()) + std::floor(key.height());
    return {Scale::pxFromUnitsX(left), Scale::pxFromUnitsY(top)};
}
