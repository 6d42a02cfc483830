#pragma once

// The keyboard picture of the main window, painted from the key-cap table (keycaps.h) in its own 536 x 153
// logical pixel space, so that it stays sharp at any screen scale and its keys always lie under their
// markers.

#include "keyboard/locks.h"

#include <QColor>
#include <QImage>
#include <QList>
#include <QWidget>

class QPainter;

namespace KeyboardColours {
// The plate the keys sit on; no key face has this colour.
inline const QColor Plate{0xd3, 0xdc, 0xe7};
// The keys to press: the first step (the key, or Maj with it, or the dead key) in orange, the second step
// (the letter after a dead key) in blue; colours a child who sees red and green alike still tells apart.
inline const QColor FirstStep{0xf0, 0x8c, 0x00};
inline const QColor SecondStep{0x1c, 0x64, 0xd8};
} // namespace KeyboardColours

// Paints the whole keyboard with the painter's origin at the picture's top-left corner, its Num and capitals
// lights as the locks say (Num lit, as a keyboard mostly has it, when nobody asked).
void drawKeyboard(QPainter &painter, const KeyboardLocks &locks = {false, true});
// Paints again the labels of key i, over a tint laid on its face.
void drawKeyLabels(QPainter &painter, int index);

class KeyboardPicture : public QWidget {
    Q_OBJECT
public:
    explicit KeyboardPicture(QWidget *parent = nullptr);

    // Lights the keys of the next keystroke (key-cap indexes), the first step and the second in their
    // colours.
    void setLitKeys(const QList<int> &first, const QList<int> &second);
    QList<int> litKeys(int step) const { return step == 1 ? m_first : m_second; }
    // The lights of the lock panel: Num and the capitals (Verr. Maj).
    void setLocks(const KeyboardLocks &locks);
    KeyboardLocks locks() const { return m_locks; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // The keyboard as drawKeyboard paints it, kept once a part of the picture is painted again: a hand moving
    // over the picture or a key lit repaints a few caps' worth of pixels, copied from here, not a hundred
    // caps drawn again (0.3 MB).
    QImage m_keyboard;
    KeyboardLocks m_keyboardLocks{false, true};
    QList<int> m_first;
    QList<int> m_second;
    KeyboardLocks m_locks{false, true};
};
