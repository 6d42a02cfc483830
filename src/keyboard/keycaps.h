#pragma once

// The on-screen keyboard: one table of the 102 key caps of a French AZERTY keyboard, in the order of the key
// markers Touche(0..101).
//
// The same table draws the keyboard picture (keyboardpicture.h) and places the invisible key markers that the
// hand guide reads, so that a marker always lies on the cap it names. Each entry gives the cap as drawn, in
// pixels of the 536 x 153 picture, its labels, and where its 11 x 11 marker lies: the marker's top is its
// row's usual top (or the entry's own), its left is the cap's left plus the entry's offset (4 pixels unless
// the entry says otherwise).
//
// Index order: six rows from top to bottom; within a row, left to right across the whole picture (main block,
// then editing and arrow keys, then the numeric pad). A key that spans two rows (Entrée, numeric + and Entr)
// belongs to its upper row.

#include <QList>
#include <QPainterPath>
#include <QPoint>
#include <QRect>
#include <QSize>

namespace KeyCaps {

inline constexpr int Count = 102;
// The picture, in pixels, and where it lies in the main window's client area, in twips.
inline constexpr QSize PictureSize{536, 153};
inline constexpr QPoint PictureOriginTwips{150, 3060};
// Markers are 165 x 165 twips.
inline constexpr int MarkerPixels = 11;

// How a cap is coloured.
enum class Kind {
    Character, // a key that types a character: letters, digits, punctuation, the space bar
    Control,   // modifiers, editing and arrow keys, Entrée, backspace, tab
    Function,  // F1 to F12 and the three keys above the editing block
    Escape,
};

// A symbol drawn in place of (or beside) a text label.
enum class Glyph {
    None,
    Backspace,
    Tab,
    CapsLock,
    Enter,
    Shift,
    ArrowUp,
    ArrowDown,
    ArrowLeft,
    ArrowRight,
    Home,
    PageUp,
    PageDown,
};

struct KeyCap {
    int row;          // 1 (function keys) to 6 (space bar)
    int left;         // left of the cap in picture pixels
    int width;        // width of the cap in picture pixels
    int rows;         // 1, or 2 for a cap that reaches into the row below
    int markerTop;    // 0: the row's usual top; otherwise the marker's own top in picture pixels
    int markerOffset; // marker's left minus the cap's left
    Kind kind;
    Glyph glyph;
    // Labels as printed: the main one (the unshifted character, bottom left, or the key's name) and the
    // shifted character (top left). Letter keys show their capital only. The Alt Gr characters are left out,
    // to keep the small caps readable for children who do not use them.
    const char16_t *label;
    const char16_t *shifted;
    bool bump; // the small ridge of F, J and the pad's 5, where the index fingers rest
};

const KeyCap &cap(int index);

// The cap of key i in picture pixels: its bounding rectangle.
QRect capRect(int index);
// The rectangles that make up the cap: one, or two for the Entrée key (its upper row, and its full-height
// right part).
QList<QRect> capParts(int index);

// Marker i in picture pixels, and in twips of the main window's client area.
QRect markerPixels(int index);
QRect markerTwips(int index);

// The keys the guide names besides the characters of the key table.
inline constexpr int CapsLock = 58;
inline constexpr int LeftShift = 74;
inline constexpr int RightShift = 86;
// Whether key i is struck by the left hand: the main block's keys left of 7, Y, H and N.
bool onLeftHand(int index);
// Whether key i is a digit of the numeric pad, which types its digit only while Num Lock is on.
bool numericPadDigit(int index);
// The key whose shifted character (printed at its top left) is c, or -1. Letters are not: their capital is
// their own label.
int shiftedKey(const QString &c);

// Height of a cap of one row, in picture pixels.
inline constexpr int CapHeight = 20;

} // namespace KeyCaps
