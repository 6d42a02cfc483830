#pragma once

// The keyboard picture of the main window, painted from the key-cap table (keycaps.h) in its own 536 x 153
// logical pixel space, so that it stays sharp at any screen scale and its keys always lie under their
// markers.

#include <QColor>
#include <QWidget>

class QPainter;

namespace KeyboardColours {
// The plate the keys sit on; no key face has this colour.
inline const QColor Plate{0xd3, 0xdc, 0xe7};
} // namespace KeyboardColours

// Paints the whole keyboard with the painter's origin at the picture's top-left corner.
void drawKeyboard(QPainter &painter);

class KeyboardPicture : public QWidget {
    Q_OBJECT
public:
    explicit KeyboardPicture(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};
