#pragma once

// A keyboard focus that a child sees from across the room: a ring of FocusRingWidth pixels, in a strong blue,
// drawn over the style's own thin focus mark of a text box or a button.

#include <QColor>

class QWidget;

inline constexpr int FocusRingWidth = 2;
inline const QColor FocusRingColour{0x1c, 0x64, 0xd8};

// Draws the ring round widget while it has the keyboard focus. The style that does it belongs to the widget.
void showFocusClearly(QWidget *widget);
