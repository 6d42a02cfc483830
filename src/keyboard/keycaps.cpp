#include "keyboard/keycaps.h"

#include "common/userscale.h"

#include <array>

namespace KeyCaps {

namespace {

// Rows of the picture: top of the caps, and the usual top of the markers, in picture pixels. The main block
// keys are 23 pixels apart (21 drawn, 2 between), the editing keys and the numeric pad 22 (20 drawn).
constexpr std::array<int, 7> RowTops{0, 3, 41, 63, 86, 109, 131};
constexpr std::array<int, 7> RowMarkerTops{0, 8, 44, 66, 90, 114, 138};
constexpr int MainWidth = 21;
constexpr int PadWidth = 20;
// The numeric pad's left column.
constexpr int NumericPadLeft = 448;
// A marker lies 4 pixels from its cap's left edge. The guide hangs the right hand below it, pulled left by up
// to 6 pixels by its whole-unit truncation, and the hand's finger (columns 8 to 11 of its picture) then
// points at the middle of the cap. The space bar's marker lies right of the bar's middle, under the right
// thumb; the Entrée key's lies on its tall right part.
constexpr int DefaultOffset = 4;

// The Entrée key is wider in its upper row; its lower part starts further right.
constexpr int EnterIndex = 50;
constexpr int EnterLowerLeft = 326;

constexpr KeyCap key(int row, int left, int width, Kind kind, Glyph glyph, const char16_t *label,
                     const char16_t *shifted = u"")
{
    return {row, left, width, 1, 0, DefaultOffset, kind, glyph, label, shifted, false};
}

// A character key of the main block.
constexpr KeyCap chr(int row, int left, const char16_t *label, const char16_t *shifted = u"")
{
    return key(row, left, MainWidth, Kind::Character, Glyph::None, label, shifted);
}

// A character key of the numeric pad.
constexpr KeyCap pad(int row, int left, const char16_t *label, int width = PadWidth)
{
    return key(row, left, width, Kind::Character, Glyph::None, label);
}

constexpr KeyCap ctl(int row, int left, int width, const char16_t *label, Glyph glyph = Glyph::None)
{
    return key(row, left, width, Kind::Control, glyph, label);
}

constexpr KeyCap fn(int row, int left, int width, const char16_t *label)
{
    return key(row, left, width, Kind::Function, Glyph::None, label);
}

constexpr KeyCap markerAt(KeyCap k, int top)
{
    k.markerTop = top;
    return k;
}

constexpr KeyCap twoRows(KeyCap k)
{
    k.rows = 2;
    return k;
}

constexpr KeyCap withBump(KeyCap k)
{
    k.bump = true;
    return k;
}

constexpr KeyCap markerOffset(KeyCap k, int offset)
{
    k.markerOffset = offset;
    return k;
}

// clang-format off
constexpr std::array<KeyCap, Count> Caps{{
    // Row 1: Échap, F1 to F12 in groups of four, the three keys above the editing block.
    key(1, 2, MainWidth, Kind::Escape, Glyph::None, u"Échap"),                                  // 0
    fn(1, 48, MainWidth, u"F1"),                                                                // 1
    fn(1, 71, MainWidth, u"F2"),                                                                // 2
    fn(1, 94, MainWidth, u"F3"),                                                                // 3
    fn(1, 117, MainWidth, u"F4"),                                                               // 4
    fn(1, 152, MainWidth, u"F5"),                                                               // 5
    fn(1, 175, MainWidth, u"F6"),                                                               // 6
    fn(1, 198, MainWidth, u"F7"),                                                               // 7
    fn(1, 221, MainWidth, u"F8"),                                                               // 8
    fn(1, 255, MainWidth, u"F9"),                                                               // 9
    fn(1, 278, MainWidth, u"F10"),                                                              // 10
    fn(1, 301, MainWidth, u"F11"),                                                              // 11
    fn(1, 324, MainWidth, u"F12"),                                                              // 12
    markerAt(fn(1, 364, PadWidth, u"Impr\nécran"), 10),                                         // 13
    fn(1, 386, PadWidth, u"Arrêt\ndéfil"),                                                      // 14
    fn(1, 408, PadWidth, u"Pause"),                                                             // 15

    // Row 2: the digit row, backspace, Inser, home, page up, the top of the numeric pad.
    chr(2, 2, u"²"),                                                                            // 16
    chr(2, 25, u"&", u"1"),                                                                     // 17
    chr(2, 48, u"é", u"2"),                                                                     // 18
    chr(2, 71, u"\"", u"3"),                                                                    // 19
    chr(2, 94, u"'", u"4"),                                                                     // 20
    chr(2, 117, u"(", u"5"),                                                                    // 21
    chr(2, 140, u"-", u"6"),                                                                    // 22
    chr(2, 163, u"è", u"7"),                                                                    // 23
    chr(2, 186, u"_", u"8"),                                                                    // 24
    chr(2, 209, u"ç", u"9"),                                                                    // 25
    chr(2, 232, u"à", u"0"),                                                                    // 26
    chr(2, 255, u")", u"°"),                                                                    // 27
    chr(2, 278, u"=", u"+"),                                                                    // 28
    ctl(2, 301, 44, u"", Glyph::Backspace),                                                     // 29
    ctl(2, 364, PadWidth, u"Inser"),                                                            // 30
    ctl(2, 386, PadWidth, u"", Glyph::Home),                                                    // 31
    ctl(2, 408, PadWidth, u"", Glyph::PageUp),                                                  // 32
    markerAt(ctl(2, 448, PadWidth, u"Verr\nNum"), 42),                                          // 33
    pad(2, 470, u"/"),                                                                          // 34
    pad(2, 492, u"*"),                                                                          // 35
    pad(2, 514, u"-"),                                                                          // 36

    // Row 3: tab, A to P, the dead key, $, Entrée, Suppr, Fin, page down, 7 8 9 and + of the pad.
    ctl(3, 2, 34, u"", Glyph::Tab),                                                             // 37
    chr(3, 38, u"A"),                                                                           // 38
    chr(3, 61, u"Z"),                                                                           // 39
    chr(3, 84, u"E"),                                                                           // 40
    chr(3, 107, u"R"),                                                                          // 41
    markerAt(chr(3, 130, u"T"), 68),                                                            // 42
    chr(3, 153, u"Y"),                                                                          // 43
    chr(3, 176, u"U"),                                                                          // 44
    chr(3, 199, u"I"),                                                                          // 45
    chr(3, 222, u"O"),                                                                          // 46
    chr(3, 245, u"P"),                                                                          // 47
    chr(3, 268, u"^", u"¨"),                                                                    // 48
    chr(3, 291, u"$", u"£"),                                                                    // 49
    markerOffset(markerAt(twoRows(ctl(3, 314, 31, u"Entrée", Glyph::Enter)), 80), 18),          // 50
    ctl(3, 364, PadWidth, u"Suppr"),                                                            // 51
    ctl(3, 386, PadWidth, u"Fin"),                                                              // 52
    ctl(3, 408, PadWidth, u"", Glyph::PageDown),                                                // 53
    pad(3, 448, u"7"),                                                                          // 54
    pad(3, 470, u"8"),                                                                          // 55
    pad(3, 492, u"9"),                                                                          // 56
    markerAt(twoRows(pad(3, 514, u"+")), 84),                                                   // 57

    // Row 4: caps lock, Q to M, ù, *, 4 5 6 of the pad.
    ctl(4, 2, 46, u"Maj", Glyph::CapsLock),                                                     // 58
    chr(4, 50, u"Q"),                                                                           // 59
    chr(4, 73, u"S"),                                                                           // 60
    chr(4, 96, u"D"),                                                                           // 61
    withBump(chr(4, 119, u"F")),                                                                // 62
    chr(4, 142, u"G"),                                                                          // 63
    chr(4, 165, u"H"),                                                                          // 64
    markerAt(withBump(chr(4, 188, u"J")), 88),                                                  // 65
    markerAt(chr(4, 211, u"K"), 88),                                                            // 66
    chr(4, 234, u"L"),                                                                          // 67
    markerAt(chr(4, 257, u"M"), 88),                                                            // 68
    chr(4, 280, u"ù", u"%"),                                                                    // 69
    chr(4, 303, u"*", u"µ"),                                                                    // 70
    pad(4, 448, u"4"),                                                                          // 71
    markerAt(withBump(pad(4, 470, u"5")), 88),                                                  // 72
    pad(4, 492, u"6"),                                                                          // 73

    // Row 5: shift, <, W to !, shift, up arrow, 1 2 3 and Entr of the pad.
    ctl(5, 2, 28, u"", Glyph::Shift),                                                           // 74
    chr(5, 32, u"<", u">"),                                                                     // 75
    chr(5, 55, u"W"),                                                                           // 76
    chr(5, 78, u"X"),                                                                           // 77
    markerAt(chr(5, 101, u"C"), 112),                                                           // 78
    markerAt(chr(5, 124, u"V"), 112),                                                           // 79
    chr(5, 147, u"B"),                                                                          // 80
    markerAt(chr(5, 170, u"N"), 112),                                                           // 81
    chr(5, 193, u",", u"?"),                                                                    // 82
    chr(5, 216, u";", u"."),                                                                    // 83
    chr(5, 239, u":", u"/"),                                                                    // 84
    chr(5, 262, u"!", u"§"),                                                                    // 85
    ctl(5, 285, 60, u"Maj", Glyph::Shift),                                                      // 86
    ctl(5, 386, PadWidth, u"", Glyph::ArrowUp),                                                 // 87
    pad(5, 448, u"1"),                                                                          // 88
    markerAt(pad(5, 470, u"2"), 112),                                                           // 89
    markerAt(pad(5, 492, u"3"), 112),                                                           // 90
    markerAt(twoRows(ctl(5, 514, PadWidth, u"Entr")), 132),                                     // 91

    // Row 6: Ctrl, Alt, the space bar, Alt Gr, Ctrl, the three arrows, 0 and . of the pad.
    ctl(6, 2, 33, u"Ctrl"),                                                                     // 92
    ctl(6, 37, 33, u"Alt"),                                                                     // 93
    markerOffset(markerAt(key(6, 72, 203, Kind::Character, Glyph::None, u"espace"), 136), 108), // 94
    ctl(6, 277, 33, u"Alt Gr"),                                                                 // 95
    ctl(6, 312, 33, u"Ctrl"),                                                                   // 96
    markerAt(ctl(6, 364, PadWidth, u"", Glyph::ArrowLeft), 136),                                // 97
    markerAt(ctl(6, 386, PadWidth, u"", Glyph::ArrowDown), 136),                                // 98
    markerAt(ctl(6, 408, PadWidth, u"", Glyph::ArrowRight), 136),                               // 99
    pad(6, 448, u"0", 42),                                                                      // 100
    pad(6, 492, u"."),                                                                          // 101
}};
// clang-format on

int rowTop(int row)
{
    return RowTops.at(static_cast<std::size_t>(row));
}

} // namespace

const KeyCap &cap(int index)
{
    return Caps.at(static_cast<std::size_t>(index));
}

QRect capRect(int index)
{
    const KeyCap &k = cap(index);
    const int top = rowTop(k.row);
    const int bottom = rowTop(k.row + k.rows - 1) + CapHeight;
    return {k.left, top, k.width, bottom - top};
}

QList<QRect> capParts(int index)
{
    const QRect bounds = capRect(index);
    if (index != EnterIndex)
        return {bounds};
    return {QRect(bounds.left(), bounds.top(), bounds.width(), CapHeight),
            QRect(EnterLowerLeft, bounds.top(), bounds.right() + 1 - EnterLowerLeft, bounds.height())};
}

bool onLeftHand(int index)
{
    // Where the right hand's keys begin in each row of the main block: 7, Y, H and N.
    static constexpr std::array<int, 7> rightHandFrom{0, 0, 163, 153, 165, 170, 0};
    const KeyCap &k = cap(index);
    return k.left < rightHandFrom.at(static_cast<std::size_t>(k.row));
}

bool numericPadDigit(int index)
{
    const KeyCap &k = cap(index);
    return k.left >= NumericPadLeft && k.kind == Kind::Character && QChar(k.label[0]).isDigit();
}

int shiftedKey(const QString &c)
{
    for (int i = 0; i < Count; ++i) {
        const KeyCap &k = cap(i);
        if (k.kind == Kind::Character && k.shifted && c == QString::fromUtf16(k.shifted))
            return i;
    }
    return -1;
}

QRect markerPixels(int index)
{
    const KeyCap &k = cap(index);
    const int top = k.markerTop != 0 ? k.markerTop : RowMarkerTops.at(static_cast<std::size_t>(k.row));
    return {k.left + k.markerOffset, top, MarkerPixels, MarkerPixels};
}

QRect markerTwips(int index)
{
    const QRect px = markerPixels(index);
    return {PictureOriginTwips + px.topLeft() * Scale::TwipsPerPixel, px.size() * Scale::TwipsPerPixel};
}

} // namespace KeyCaps
