#pragma once

// The hand guide's rules, apart from the window: which keystroke comes next, which key marker gives a
// character, where a hand goes to point at a marker, and what the teacher's guide level lets the hands do.
// guideAfterChange, at the end, puts them together into one plain value, GuideView, which the window shows
// as it is: which hand on which key, which keys lit in which colour, and the step after a dead key.

#include "common/values.h"

#include <QList>
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

    // The hands and the lit keys go after GuideTimeOutMilliseconds ("2 - Guide limité" only).
    bool timesOut() const { return m_value == 1; }
    // No hand is shown at all ("3 - Pas de guide", and any level above).
    bool hidesHands() const { return m_value >= 2; }
    // The level as the pupil's results keep it: the value plus one.
    QString forResults() const { return QString::number(m_value + 1); }

private:
    double m_value = 0;
};

// The keys of a letter made with a dead key: ê â î ô û with "^", ë ä ï ö ü ÿ with "¨" (Maj and the same key).
struct DeadKeyStrokes {
    QString deadKey;
    QString baseLetter;
};
std::optional<DeadKeyStrokes> deadKeyStrokes(QStringView letter);

// How the keyboard types one character, as markers of the on-screen keyboard: the keys pressed together
// first (the letter with the Maj key of the other hand for a capital or a shifted character, the dead key,
// with Maj for "¨"), then the base letter after a dead key; and the key each hand points at (-1: the hand
// is not needed). One key: the right hand points at it, as it always has. A capital or shifted character:
// one hand on the key, the other on the Maj key of the other side. A dead-key letter: the right hand on the
// dead key, the left hand on the base letter.
struct Keystroke {
    QList<int> first;
    QList<int> second;
    int right = -1;
    int left = -1;
};
// The keystroke of c, an empty one for nothing to type, or nothing when the French keyboard cannot type c
// with the key table and the dead keys (œ, æ, accented capitals, other alphabets, line ends).
std::optional<Keystroke> keystrokeFor(const QString &c, const TextTable &table, qint16 last);

// What is left of a dead-key letter's keystroke once the dead key is pressed: the base letter, lit as the
// second step and pointed at by the hand that was already on it. A keystroke without a second step stays.
Keystroke afterDeadKey(const Keystroke &keystroke);

// The character to guide after a change of the typed text: the next letter of the word when it is made with
// a dead key; otherwise, with a wrong character selected (caret is the selection's start, else the cursor),
// the character that should have been typed in its place, or else the next one.
QString nextCharacter(QStringView typed, QStringView word, qsizetype caret);

// The characters of text that the keyboard cannot type, each once, in their order.
QString untypableCharacters(QStringView text, const TextTable &table, qint16 last);
// The usual spelling of a word with characters the keyboard cannot type: oe for œ, ae for æ, a capital
// without its accent, straight quotes and hyphens. The word itself when there is nothing to change.
QString usualSpelling(QString word);

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

// What the guide shows for one step of a keystroke. A hand with nothing to point at is hidden: no hand is
// better than a hand on a key that is not the one to press, and a one-key letter shows no left hand.
struct GuideStep {
    std::optional<QPoint> right; // where each hand goes, in the window's client area; nothing: hidden
    std::optional<QPoint> left;
    QList<int> orange;    // the keys lit for the first step (the key, Maj with it, or the dead key)
    QList<int> blue;      // the letter after a dead key
    bool timeOut = false; // the hands and the lit keys go after GuideTimeOutMilliseconds
    bool operator==(const GuideStep &) const = default;
};

// Everything the window shows for the guide after a change of the typed text.
struct GuideView {
    GuideStep step;
    // What the guide shows once the dead key is pressed (its release reaches the window), for a dead-key
    // letter only.
    std::optional<GuideStep> afterDeadKey;
    // The keystroke takes a digit of the numeric pad: with Num Lock off the pupil is told to switch it on.
    bool padDigit = false;
};

// The guide of a keystroke at a level: nothing at "3 - Pas de guide" and above.
GuideView guideView(const Keystroke &keystroke, GuideLevel level);

// The guide after a change of the typed text (caret: the selection's start, else the cursor). Nothing is
// shown while shown is false (a dictated word before its first mistake: the guide would spell it), nor for
// a character the keyboard cannot type.
GuideView guideAfterChange(QStringView typed, QStringView word, qsizetype caret, bool shown,
                           GuideLevel level);
