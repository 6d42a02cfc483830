#include "keyboard/heatmap.h"

#include "keyboard/guide.h"
#include "keyboard/keyboardpicture.h"
#include "keyboard/keycaps.h"

#include <QPainter>

#include <algorithm>

QMap<int, int> mistakesByKey(const QMap<QString, int> &mistakesByCharacter, const TextTable &table,
                             qint16 last)
{
    QMap<int, int> keys;
    for (auto it = mistakesByCharacter.cbegin(); it != mistakesByCharacter.cend(); ++it) {
        const std::optional<Keystroke> stroke = keystrokeFor(it.key(), table, last);
        if (!stroke)
            continue;
        QList<int> struck = stroke->first + stroke->second;
        std::sort(struck.begin(), struck.end());
        struck.erase(std::unique(struck.begin(), struck.end()), struck.end());
        for (int key : struck) {
            if (key >= 0 && key < KeyCaps::Count)
                keys[key] += it.value();
        }
    }
    return keys;
}

void drawHeatMap(QPainter &painter, const QMap<int, int> &keys)
{
    drawKeyboard(painter);
    int most = 0;
    for (int count : keys)
        most = std::max(most, count);
    if (most == 0)
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QFont font = painter.font();
    font.setPixelSize(8);
    font.setBold(true);
    painter.setFont(font);
    for (auto it = keys.cbegin(); it != keys.cend(); ++it) {
        const double share = static_cast<double>(it.value()) / most;
        // Pale yellow to deep red: light and hue both change, so the order reads without colour vision too.
        const QColor colour =
            QColor::fromHsvF((55 - 55 * share) / 360.0, 0.35 + 0.6 * share, 1.0 - 0.25 * share);
        QColor tint = colour;
        tint.setAlpha(170);
        for (const QRect &part : KeyCaps::capParts(it.key()))
            painter.fillRect(part, tint);
        painter.setPen(QPen(colour.darker(130), 2));
        painter.setBrush(Qt::NoBrush);
        const QRectF cap = QRectF(KeyCaps::capRect(it.key())).adjusted(0.5, 0.5, -0.5, -0.5);
        painter.drawRoundedRect(cap, 3, 3);
        painter.setPen(Qt::black);
        painter.drawText(cap.adjusted(1, 1, -2, -1), Qt::AlignRight | Qt::AlignBottom,
                         QString::number(it.value()));
    }
    painter.restore();
}
