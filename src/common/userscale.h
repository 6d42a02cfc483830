#pragma once

// Positions in the main window.
//
// The window is laid out in twips (15 twips to a logical pixel). Its interior also has a user scale of 83.7
// twips per horizontal unit and 53.1 twips per vertical unit, in which the hand guide reads the key markers
// and moves the hands; a whole-unit truncation there moves a hand by up to 83.7 and 53.1 twips.

#include <QRect>
#include <QtGlobal>

namespace Scale {

inline constexpr int TwipsPerPixel = 15;
inline constexpr double TwipsPerUnitX = 83.7;
inline constexpr double TwipsPerUnitY = 53.1;

constexpr int px(int twips)
{
    return static_cast<int>(static_cast<double>(twips) / TwipsPerPixel + (twips >= 0 ? 0.5 : -0.5));
}
constexpr double unitsX(double twips)
{
    return twips / TwipsPerUnitX;
}
constexpr double unitsY(double twips)
{
    return twips / TwipsPerUnitY;
}
// A rectangle given in twips, in logical pixels.
inline QRect twipsRect(int left, int top, int width, int height)
{
    return {px(left), px(top), px(width), px(height)};
}
// Logical pixel of a position given in user units.
inline int pxFromUnitsX(double units)
{
    return qRound(units * TwipsPerUnitX / TwipsPerPixel);
}
inline int pxFromUnitsY(double units)
{
    return qRound(units * TwipsPerUnitY / TwipsPerPixel);
}

} // namespace Scale
