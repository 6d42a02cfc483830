#include "keyboard/guide.h"

#include "common/text.h"
#include "common/userscale.h"
#include "keyboard/keycaps.h"
#include "keyboard/keytable.h"

#include <algorithm>
#include <cmath>

GuideLevel GuideLevel::parse(const QString &stored)
{
    bool ok = false;
    const double value = stored.trimmed().toDouble(&ok);
    GuideLevel level;
    level.m_value = ok && std::isfinite(value) ? value : 0;
    return level;
}

std::optional<DeadKeyStrokes> deadKeyStrokes(QStringView letter)
{
    static const QString circumflex = QStringLiteral("âêîôû");
    static const QString diaeresis = QStringLiteral("äëïöüÿ");
    static const QString bases = QStringLiteral("aeiouy");
    if (letter.size() != 1)
        return std::nullopt;
    if (const qsizetype i = circumflex.indexOf(letter[0]); i >= 0)
        return DeadKeyStrokes{QStringLiteral("^"), bases.at(i)};
    if (const qsizetype i = diaeresis.indexOf(letter[0]); i >= 0)
        return DeadKeyStrokes{QStringLiteral("¨"), bases.at(i)};
    return std::nullopt;
}

int markerOf(const TextTable &table, qint16 last, const QString &c)
{
    // Keys that type no character, such as Échap, must never be shown for "nothing left to type".
    if (c.isEmpty())
        return -1;
    const int index = findKey(table, last, c);
    return index < KeyCaps::Count ? index : -1;
}

namespace {

// The Maj key that the other hand holds for key.
int otherShift(int key)
{
    return KeyCaps::onLeftHand(key) ? KeyCaps::RightShift : KeyCaps::LeftShift;
}

// A key pressed with the Maj key of the other hand: one hand on each.
Keystroke shifted(int key)
{
    const int shift = otherShift(key);
    return KeyCaps::onLeftHand(key) ? Keystroke{{shift, key}, {}, shift, key}
                                    : Keystroke{{shift, key}, {}, key, shift};
}

} // namespace

std::optional<Keystroke> keystrokeFor(const QString &c, const TextTable &table, qint16 last)
{
    if (c.isEmpty())
        return Keystroke{};
    if (const int key = markerOf(table, last, c); key >= 0)
        return Keystroke{{key}, {}, key, -1};
    if (const auto strokes = deadKeyStrokes(c)) {
        const int dead = markerOf(table, last, QStringLiteral("^"));
        const int base = markerOf(table, last, strokes->baseLetter);
        if (dead < 0 || base < 0)
            return std::nullopt;
        QList<int> first{dead};
        if (strokes->deadKey != u"^")
            first.prepend(otherShift(dead));
        return Keystroke{first, {base}, dead, base};
    }
    // A capital: its small letter with Maj. Accented capitals have no key of their own.
    if (c.size() == 1 && c[0] >= u'A' && c[0] <= u'Z') {
        const int key = markerOf(table, last, c.toLower());
        return key >= 0 ? std::optional(shifted(key)) : std::nullopt;
    }
    // A character printed at the top of a key: that key with Maj.
    if (const int key = KeyCaps::shiftedKey(c); key >= 0)
        return shifted(key);
    return std::nullopt;
}

Keystroke afterDeadKey(const Keystroke &keystroke)
{
    if (keystroke.second.isEmpty())
        return keystroke;
    return Keystroke{{}, keystroke.second, -1, keystroke.left};
}

QString nextCharacter(QStringView typed, QStringView word, qsizetype caret)
{
    const QString next = charAt(word, typed.size() + 1);
    if (deadKeyStrokes(next))
        return next;
    return charAt(word, caret < typed.size() ? typed.size() : typed.size() + 1);
}

QString untypableCharacters(QStringView text, const TextTable &table, qint16 last)
{
    QString found;
    for (qsizetype i = 0; i < text.size(); ++i) {
        // A character outside the basic plane is two UTF-16 units: one character all the same.
        const qsizetype length = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString c = text.sliced(i, length).toString();
        if (!keystrokeFor(c, table, last) && !found.contains(c))
            found += c;
        i += length - 1;
    }
    return found;
}

QString usualSpelling(QString word)
{
    static const std::pair<const char16_t *, const char16_t *> spellings[] = {
        {u"œ", u"oe"}, {u"Œ", u"OE"}, {u"æ", u"ae"}, {u"Æ", u"AE"}, {u"’", u"'"},   {u"‘", u"'"},
        {u"«", u"\""}, {u"»", u"\""}, {u"–", u"-"},  {u"—", u"-"},  {u"…", u"..."}, {u"\u00A0", u" "},
    };
    for (const auto &[from, to] : spellings)
        word.replace(QString::fromUtf16(from), QString::fromUtf16(to));
    // A capital keeps its letter and loses its accent: É, È, Ê, À, Ç, Ô...
    QString plain;
    for (const QChar c : word) {
        const QString base = QString(c).normalized(QString::NormalizationForm_D).left(1);
        plain += c.isUpper() && base[0].unicode() < 0x80 ? base : QString(c);
    }
    return plain;
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

namespace {

GuideStep guideStep(const Keystroke &keystroke, GuideLevel level)
{
    if (level.hidesHands())
        return {};
    GuideStep step{{}, {}, keystroke.first, keystroke.second, false};
    if (keystroke.right >= 0)
        step.right = handPlace(Hand::Right, keystroke.right);
    if (keystroke.left >= 0)
        step.left = handPlace(Hand::Left, keystroke.left);
    step.timeOut = level.timesOut() && (step.right || step.left);
    return step;
}

} // namespace

GuideView guideView(const Keystroke &keystroke, GuideLevel level)
{
    GuideView view{guideStep(keystroke, level), std::nullopt,
                   std::any_of(keystroke.first.cbegin(), keystroke.first.cend(),
                               [](int key) { return KeyCaps::numericPadDigit(key); })};
    if (!keystroke.second.isEmpty())
        view.afterDeadKey = guideStep(afterDeadKey(keystroke), level);
    return view;
}

GuideView guideAfterChange(QStringView typed, QStringView word, qsizetype caret, bool shown, GuideLevel level)
{
    if (!shown)
        return {};
    const ProgramValues &v = values();
    return guideView(keystrokeFor(nextCharacter(typed, word, caret), v.ToucheCaractere, v.DerniereTouche)
                         .value_or(Keystroke{}),
                     level);
}
