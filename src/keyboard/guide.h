#pragma once

// The hand guide's rules, apart from the window: which keystroke comes next, which key marker gives a
// character, where a hand goes to point at a marker, and what the teacher's guide level lets the hands do.
// The window only moves, shows and hides the two hand pictures as these say.

#include "common/values.h"

#include <QPoint>
#include <QRectF>
#include <QString>
#include <QStringView>

#include <optional>

// How long the hands stay at level "2 - Guide limité".
inline constexpr int GuideTimeOutMilliseconds = 1000;

// The teacher's guide level ("Niveau"): 0 "1 - Pas à pas", 1 "2 - Guide limité", 2 "3 - Pas de guide". Any
// stored number is used as it is and compared by value; a text that is not a number counts as 0.
class GuideLevel {
public:
    GuideLevel() = default;
    static GuideLevel parse(const QString &stored);

    // What the guide does after placing the hands.
    enum class Adjustment { HideLeftHand, StartTimeOut, HideBothHands, Nothing };
    Adjustment adjustment() const;
    // No hand is shown at all ("3 - Pas de guide", and any level above).
    bool hidesHands() const { return m_value >= 2; }
    // The level as the pupil's results keep it: the value plus one.
    QString forResults() const { return QString::number(m_value + 1); }

private:
    double m_value = 0;
};

// The keys of a letter made with a dead key: the dead key for the right hand, the base letter for the left.
// Only ê â î ô (with "^") and ë ä ï (with "¨") are made so.
struct DeadKeyStrokes {
    QString deadKey;
    QString baseLetter;
};
std::optional<DeadKeyStrokes> deadKeyStrokes(QStringView letter);

// What to guide after a change of the typed text: the two keys of a dead-key letter when the next letter of
// the word is one, otherwise the one key of the character due. With a wrong character selected (caret is
// the selection's start, else the cursor), that is the character that should have been typed in its place.
struct Keystroke {
    std::optional<DeadKeyStrokes> deadKey;
    QString key;
};
Keystroke nextKeystroke(QStringView typed, QStringView word, qsizetype caret);

// The marker of the key that gives c in the key table, or -1: nothing to type (the empty text), a character
// no key gives, or an entry beyond the keyboard's markers.
int markerOf(const TextTable &table, qint16 last, const QString &c);

// Key marker i in the main window's user units (83.7 by 53.1 twips): left, top, width and height.
QRectF markerUnits(int index);

// Top-left corner, in logical pixels of the window's client area, of a hand pointing at marker i: right below
// the marker, each coordinate truncated to whole user units. The left hand's finger lies further right in its
// picture, so it goes two marker widths to the left.
enum class Hand { Right, Left };
QPoint handPlace(Hand hand, int index);
