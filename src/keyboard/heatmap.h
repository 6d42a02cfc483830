#pragma once

// The keys a pupil misses most, on the same keyboard picture as the exercise window draws: each mistake on an
// expected character counts on the keys that type it (the key, Maj for a capital, the dead key and the base
// letter for a dead-key letter), found with the key table as the hand guide finds them.

#include "common/values.h"

#include <QMap>
#include <QString>

class QPainter;

// Mistakes by key-cap index. Characters the keyboard cannot type are left out.
QMap<int, int> mistakesByKey(const QMap<QString, int> &mistakesByCharacter, const TextTable &table,
                             qint16 last);

// Paints the keyboard (drawKeyboard) with the missed keys tinted from pale yellow to deep red, the most
// missed the deepest, and their count in a corner of the cap. The painter's origin is the picture's corner.
void drawHeatMap(QPainter &painter, const QMap<int, int> &keys);
