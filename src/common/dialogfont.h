#pragma once

// The font of the teacher's dialogs (settings, word-list editor, About box).
//
// Their layouts place every control to the pixel for the small 8-point font of classic desktop dialogs.
// Arial at 8 points (Liberation Sans on Debian, installed with the program) has nearly the same widths, so
// the captions fit their controls; the wider default font of a Linux desktop would cut them.

#include <QFont>

inline QFont dialogFont()
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(8.0);
    return font;
}
