#include "keyboard/keyboardpicture.h"

#include "keyboard/keycaps.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>

namespace {

// Soft colours that a child tells apart at a glance: warm white for the keys that type something, pale blue
// for the others, lavender for the function keys, pale red for Échap.
struct CapColours {
    QColor face;
    QColor side;
    QColor outline;
};

CapColours coloursOf(KeyCaps::Kind kind)
{
    switch (kind) {
    case KeyCaps::Kind::Character:
        return {QColor(0xff, 0xfd, 0xf6), QColor(0xd2, 0xd4, 0xd9), QColor(0x76, 0x80, 0x8e)};
    case KeyCaps::Kind::Control:
        return {QColor(0xdc, 0xe9, 0xf7), QColor(0xa9, 0xbb, 0xd0), QColor(0x66, 0x78, 0x8e)};
    case KeyCaps::Kind::Function:
        return {QColor(0xeb, 0xe4, 0xf8), QColor(0xbf, 0xb3, 0xd8), QColor(0x74, 0x68, 0x90)};
    case KeyCaps::Kind::Escape:
        return {QColor(0xfc, 0xdf, 0xdf), QColor(0xe0, 0xaa, 0xaa), QColor(0x96, 0x60, 0x60)};
    }
    return {};
}

const QColor Ink{0x10, 0x16, 0x20};
const QColor SoftInk{0x6b, 0x78, 0x8c};
constexpr double Radius = 3.0;
// Height of the visible front side of a cap, under its face.
constexpr double SideHeight = 3.0;

QFont labelFont(int pixels, bool bold)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

QPainterPath roundedUnion(const QList<QRectF> &parts)
{
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    for (const QRectF &part : parts)
        path.addRoundedRect(part, Radius, Radius);
    return path.simplified();
}

// The rectangles of a cap moved in by the given margins.
QList<QRectF> inset(const QList<QRect> &parts, double side, double top, double bottom)
{
    QList<QRectF> result;
    for (const QRect &part : parts)
        result.append(QRectF(part).adjusted(side, top, -side, -bottom));
    return result;
}

void drawPlate(QPainter &painter)
{
    const QRectF area(QPointF(0, 0), QSizeF(KeyCaps::PictureSize));
    painter.fillRect(area, KeyboardColours::Plate);
    // A lighter band along the top edge, as light falls on a real keyboard.
    QLinearGradient light(0, 0, 0, 30);
    light.setColorAt(0, QColor(255, 255, 255, 90));
    light.setColorAt(1, QColor(255, 255, 255, 0));
    painter.fillRect(QRectF(0, 0, area.width(), 30), light);
}

// The face of the cap, the part under which a finger presses: used to place the labels.
QRectF faceOf(int index)
{
    const QRect bounds = KeyCaps::capRect(index);
    return QRectF(bounds).adjusted(1.5, 1.5, -1.5, -(SideHeight + 0.5));
}

void drawCap(QPainter &painter, int index, const CapColours &colours)
{
    const QList<QRect> parts = KeyCaps::capParts(index);
    const QPainterPath body = roundedUnion(inset(parts, 0.5, 0.5, 0.5));
    painter.setPen(QPen(colours.outline, 1.0));
    painter.setBrush(colours.side);
    painter.drawPath(body);

    const QPainterPath face = roundedUnion(inset(parts, 1.5, 1.5, SideHeight + 0.5));
    QLinearGradient shade(0, KeyCaps::capRect(index).top(), 0, KeyCaps::capRect(index).bottom());
    shade.setColorAt(0, colours.face.lighter(103));
    shade.setColorAt(1, colours.face);
    painter.setPen(Qt::NoPen);
    painter.setBrush(shade);
    painter.drawPath(face);
}

void drawText(QPainter &painter, const QRectF &area, const QString &text, int pixels, bool bold,
              const QColor &colour, Qt::Alignment alignment)
{
    painter.setFont(labelFont(pixels, bold));
    painter.setPen(colour);
    painter.drawText(area, static_cast<int>(alignment), text);
}

// Character keys: a letter alone, centred and large; otherwise the shifted character small above and the
// unshifted one, the character the pupil looks for, large below, as placed on French keyboards.
void drawCharacterLabels(QPainter &painter, int index)
{
    const KeyCaps::KeyCap &k = KeyCaps::cap(index);
    const QRectF face = faceOf(index);
    const QString label = QString::fromUtf16(k.label);
    const QString shifted = QString::fromUtf16(k.shifted);

    if (label.size() > 1) { // the space bar's name
        drawText(painter, face, label, 8, false, Ink, Qt::AlignCenter);
        return;
    }
    if (shifted.isEmpty()) {
        drawText(painter, face.adjusted(0, -0.5, 0, 0), label, 12, true, Ink, Qt::AlignCenter);
        return;
    }
    const QRectF upper(face.left() + 1.5, face.top() - 1, face.width() - 2, 8.5);
    const QRectF lower(face.left() + 1.5, face.top() + 5, face.width() - 2, 11);
    drawText(painter, upper, shifted, 8, false, Ink, Qt::AlignLeft | Qt::AlignVCenter);
    drawText(painter, lower, label, 11, true, Ink, Qt::AlignLeft | Qt::AlignVCenter);
}

// A line with an open arrow head at its end.
void arrow(QPainterPath &path, QPointF from, QPointF to, double head = 2.6)
{
    path.moveTo(from);
    path.lineTo(to);
    QLineF back(to, from);
    back.setLength(head);
    QLineF wing1 = back;
    wing1.setAngle(back.angle() + 40);
    QLineF wing2 = back;
    wing2.setAngle(back.angle() - 40);
    path.moveTo(wing1.p2());
    path.lineTo(to);
    path.lineTo(wing2.p2());
}

QPainterPath padlock(QPointF centre)
{
    QPainterPath path;
    path.addRoundedRect(QRectF(centre.x() - 3, centre.y() - 1, 6, 5), 0.8, 0.8);
    path.moveTo(centre.x() - 1.8, centre.y() - 1);
    path.lineTo(centre.x() - 1.8, centre.y() - 2.6);
    path.arcTo(QRectF(centre.x() - 1.8, centre.y() - 4.4, 3.6, 3.6), 180, -180);
    path.lineTo(centre.x() + 1.8, centre.y() - 1);
    return path;
}

// The hollow upward arrow of the shift keys.
QPainterPath shiftArrow(QPointF tip)
{
    QPainterPath path;
    const double x = tip.x();
    const double y = tip.y();
    path.moveTo(x, y);
    path.lineTo(x + 4.5, y + 4.5);
    path.lineTo(x + 2, y + 4.5);
    path.lineTo(x + 2, y + 8.5);
    path.lineTo(x - 2, y + 8.5);
    path.lineTo(x - 2, y + 4.5);
    path.lineTo(x - 4.5, y + 4.5);
    path.closeSubpath();
    return path;
}

void drawGlyph(QPainter &painter, int index)
{
    const KeyCaps::KeyCap &k = KeyCaps::cap(index);
    const QRectF face = faceOf(index);
    const QPointF c = face.center();
    QPainterPath path;
    switch (k.glyph) {
    case KeyCaps::Glyph::None:
        return;
    case KeyCaps::Glyph::Backspace:
        arrow(path, {face.right() - 8, c.y()}, {face.left() + 7, c.y()}, 3.2);
        break;
    case KeyCaps::Glyph::Tab:
        arrow(path, {c.x() + 7, c.y() - 2.5}, {c.x() - 7, c.y() - 2.5});
        path.moveTo(c.x() - 8, c.y() - 5);
        path.lineTo(c.x() - 8, c.y());
        arrow(path, {c.x() - 7, c.y() + 3}, {c.x() + 7, c.y() + 3});
        path.moveTo(c.x() + 8, c.y() + 0.5);
        path.lineTo(c.x() + 8, c.y() + 5.5);
        break;
    case KeyCaps::Glyph::CapsLock:
        path = padlock({face.left() + 8, c.y() + 0.5});
        drawText(painter, face.adjusted(14, 0, 0, 0), QString::fromUtf16(k.label), 8, false, Ink,
                 Qt::AlignLeft | Qt::AlignVCenter);
        break;
    case KeyCaps::Glyph::Enter: {
        // The name in the upper row, the bent arrow in the tall right part.
        const QRectF upper(face.left(), face.top(), face.width(), KeyCaps::CapHeight - SideHeight - 2);
        drawText(painter, upper.adjusted(1, -1, 0, 0), QString::fromUtf16(k.label), 7, false, Ink,
                 Qt::AlignLeft | Qt::AlignVCenter);
        const double x = face.right() - 4;
        const double y = face.bottom() - 8;
        path.moveTo(x, face.top() + 12);
        path.lineTo(x, y);
        arrow(path, {x, y}, {x - 9, y});
        break;
    }
    case KeyCaps::Glyph::Shift:
        path = shiftArrow({face.left() + 8, c.y() - 4});
        if (face.width() > 30)
            drawText(painter, face.adjusted(15, 0, 0, 0), QString::fromUtf16(k.label), 8, false, Ink,
                     Qt::AlignLeft | Qt::AlignVCenter);
        break;
    case KeyCaps::Glyph::ArrowUp:
        arrow(path, {c.x(), c.y() + 4}, {c.x(), c.y() - 4});
        break;
    case KeyCaps::Glyph::ArrowDown:
        arrow(path, {c.x(), c.y() - 4}, {c.x(), c.y() + 4});
        break;
    case KeyCaps::Glyph::ArrowLeft:
        arrow(path, {c.x() + 4.5, c.y()}, {c.x() - 4.5, c.y()});
        break;
    case KeyCaps::Glyph::ArrowRight:
        arrow(path, {c.x() - 4.5, c.y()}, {c.x() + 4.5, c.y()});
        break;
    case KeyCaps::Glyph::Home:
        arrow(path, {c.x() + 3.5, c.y() + 3.5}, {c.x() - 3.5, c.y() - 3.5});
        break;
    case KeyCaps::Glyph::PageUp:
        path.moveTo(c.x() - 4, c.y() - 5);
        path.lineTo(c.x() + 4, c.y() - 5);
        arrow(path, {c.x(), c.y() + 4.5}, {c.x(), c.y() - 3.5});
        break;
    case KeyCaps::Glyph::PageDown:
        path.moveTo(c.x() - 4, c.y() + 5);
        path.lineTo(c.x() + 4, c.y() + 5);
        arrow(path, {c.x(), c.y() - 4.5}, {c.x(), c.y() + 3.5});
        break;
    }
    painter.setPen(QPen(Ink, 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
}

void drawTextLabel(QPainter &painter, int index)
{
    const QString label = QString::fromUtf16(KeyCaps::cap(index).label);
    if (label.isEmpty())
        return;
    const QRectF face = faceOf(index).adjusted(-1, -1, 1, 1);
    const bool twoLines = label.contains(u'\n');
    const int pixels = twoLines || label.size() > 4 ? 7 : 8;
    drawText(painter, face, label, pixels, false, Ink, Qt::AlignCenter);
}

// Small bumps on F, J and the pad's 5, where the index fingers rest.
void drawBump(QPainter &painter, int index)
{
    const QRectF face = faceOf(index);
    painter.setPen(QPen(SoftInk, 1.2, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(face.center().x() - 2.5, face.bottom() - 1.2),
                     QPointF(face.center().x() + 2.5, face.bottom() - 1.2));
}

// The panel of the three lock lights above the numeric pad: Num, capitals (a padlock) and Défil.
void drawLockLights(QPainter &painter, const KeyboardLocks &locks)
{
    const QRectF panel(448.5, 3.5, 85, KeyCaps::CapHeight - 1);
    painter.setPen(QPen(QColor(0x8c, 0x99, 0xaa), 1.0));
    painter.setBrush(QColor(0xe9, 0xef, 0xf5));
    painter.drawRoundedRect(panel, Radius, Radius);

    const double columns[] = {panel.left() + 14, panel.center().x(), panel.right() - 14};
    for (int i = 0; i < 3; ++i) {
        const bool lit = (i == 0 && locks.numLock) || (i == 1 && locks.capsLock);
        const QPointF light(columns[i], panel.top() + 5.5);
        if (lit) {
            QRadialGradient glow(light, 5);
            glow.setColorAt(0, QColor(0x5a, 0xe0, 0x7c, 160));
            glow.setColorAt(1, QColor(0x5a, 0xe0, 0x7c, 0));
            painter.setPen(Qt::NoPen);
            painter.setBrush(glow);
            painter.drawEllipse(light, 5, 5);
        }
        painter.setPen(QPen(QColor(0x55, 0x66, 0x5c), 0.8));
        painter.setBrush(lit ? QColor(0x2e, 0xc4, 0x5a) : QColor(0xb9, 0xc4, 0xbd));
        painter.drawEllipse(light, 2.4, 2.4);
    }
    const QRectF labels(panel.left(), panel.top() + 9, panel.width(), 9.5);
    drawText(painter, QRectF(columns[0] - 14, labels.top(), 28, labels.height()), QStringLiteral("Num"), 7,
             false, Ink, Qt::AlignCenter);
    drawText(painter, QRectF(columns[2] - 14, labels.top(), 28, labels.height()), QStringLiteral("Défil"), 7,
             false, Ink, Qt::AlignCenter);
    painter.setPen(QPen(Ink, 0.9));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(padlock({columns[1], labels.center().y() + 0.5}));
}

} // namespace

void drawKeyLabels(QPainter &painter, int index)
{
    const KeyCaps::KeyCap &k = KeyCaps::cap(index);
    if (k.glyph != KeyCaps::Glyph::None)
        drawGlyph(painter, index);
    else if (k.kind == KeyCaps::Kind::Character)
        drawCharacterLabels(painter, index);
    else
        drawTextLabel(painter, index);
}

void drawKeyboard(QPainter &painter, const KeyboardLocks &locks)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    drawPlate(painter);
    drawLockLights(painter, locks);
    for (int i = 0; i < KeyCaps::Count; ++i) {
        const KeyCaps::KeyCap &k = KeyCaps::cap(i);
        drawCap(painter, i, coloursOf(k.kind));
        drawKeyLabels(painter, i);
        if (k.bump)
            drawBump(painter, i);
    }
    painter.restore();
}

KeyboardPicture::KeyboardPicture(QWidget *parent) : QWidget(parent)
{
    setFixedSize(KeyCaps::PictureSize);
    // The plate covers the whole picture, so nothing behind it needs painting when a hand moves over it.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void KeyboardPicture::setLitKeys(const QList<int> &first, const QList<int> &second)
{
    if (first == m_first && second == m_second)
        return;
    // Only the caps that change are painted again.
    for (const QList<int> *keys : {&std::as_const(m_first), &std::as_const(m_second), &first, &second}) {
        for (int key : *keys)
            update(KeyCaps::capRect(key).adjusted(-2, -2, 2, 2));
    }
    m_first = first;
    m_second = second;
}

void KeyboardPicture::setLocks(const KeyboardLocks &locks)
{
    if (locks == m_locks)
        return;
    m_locks = locks;
    update(QRect(440, 0, KeyCaps::PictureSize.width() - 440, KeyCaps::CapHeight + 4));
}

void KeyboardPicture::paintEvent(QPaintEvent *event)
{
    const qreal ratio = devicePixelRatioF();
    QImage drawn = m_keyboard;
    if (drawn.isNull() || drawn.devicePixelRatio() != ratio || m_keyboardLocks != m_locks) {
        // In the window's own format. The blending may round a channel of a few pixels of the gradients the
        // other way (by 1 in 255), depending on where the picture lies in memory.
        drawn = QImage((QSizeF(size()) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
        drawn.setDevicePixelRatio(ratio);
        drawn.fill(KeyboardColours::Plate);
        QPainter keyboard(&drawn);
        drawKeyboard(keyboard, m_locks);
        m_keyboardLocks = m_locks;
        // Kept from the first repaint of a part of the picture on (a key lit or a hand moved at the start of
        // a series); a paint of the whole picture, such as the window's first, keeps nothing, so that a
        // window waiting for its pupil does not hold it.
        m_keyboard = (QRegion(rect()) - event->region()).isEmpty() ? QImage() : drawn;
    }
    QPainter painter(this);
    for (const QRect &rect : event->region())
        painter.drawImage(rect, drawn, QRectF(QRectF(rect).topLeft() * ratio, QSizeF(rect.size()) * ratio));
    // The keys to press: a tinted face with its labels drawn again over the tint, so that they keep their
    // full contrast, and a thick rim of the same colour.
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    for (const auto &[keys, colour] : {std::pair{&m_first, KeyboardColours::FirstStep},
                                       std::pair{&m_second, KeyboardColours::SecondStep}}) {
        for (int key : *keys) {
            for (const QRect &part : KeyCaps::capParts(key)) {
                QColor tint = colour;
                tint.setAlpha(110);
                painter.fillRect(part, tint);
            }
            drawKeyLabels(painter, key);
            painter.setPen(QPen(colour, 2.5));
            painter.setBrush(Qt::NoBrush);
            painter.drawRoundedRect(QRectF(KeyCaps::capRect(key)).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
        }
    }
}
