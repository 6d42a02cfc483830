#include "exercise/clientarea.h"

#include "common/userscale.h"

#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QStyleOptionFrame>
#include <QSvgRenderer>

#include <algorithm>
#include <cmath>

namespace {

using ClientLayout::Line;

// Shape1, the black frame under the keyboard, and Shape2, the outline round the typing box, in twips.
constexpr QRect Shape1Twips{120, 3030, 8085, 2355};
constexpr QRect Shape2Twips{120, 1062, 8077, 1763};

// Shadow lines in scroll-bar colour, lines in caption-text colour, shadow lines in inactive-caption colour.
constexpr Line Line1{150, 2850, 8190, 2850, 2};
constexpr Line Line2{8209, 1170, 8209, 2850, 2};
constexpr Line Line3{1710, 1140, 150, 1140, 1};
constexpr Line Line4{180, 1080, 1380, 1080, 6};
constexpr Line Line5{180, 5400, 8220, 5400, 2};
constexpr Line Line6{120, 750, 90, 750, 1};
constexpr Line Line7{8220, 3090, 8220, 5400, 2};

// The background picture (640 x 480) is drawn at its own size from the client's top-left corner; the client
// is 2 pixels wider and 32 pixels lower, so its right edge shows the window colour and its bottom rows are
// cut off.
constexpr QSize BackgroundSize{640, 480};

QRect pixels(const QRect &twips)
{
    return {Scale::px(twips.x()), Scale::px(twips.y()), Scale::px(twips.width()), Scale::px(twips.height())};
}

void fillLine(QPainter &painter, const Line &line, const QColor &colour)
{
    painter.fillRect(ClientLayout::lineRect(line), colour);
}

QRect shape2Pixels()
{
    return pixels(Shape2Twips);
}

// One-pixel outline drawn inside the rectangle, as the layout's shapes are.
void outline(QPainter &painter, const QRect &rect, const QColor &colour)
{
    painter.setPen(QPen(colour, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect.adjusted(0, 0, -1, -1));
}

} // namespace

namespace ClientLayout {

QRect lineRect(const Line &line)
{
    const int x1 = Scale::px(std::min(line.x1, line.x2));
    const int x2 = Scale::px(std::max(line.x1, line.x2));
    const int y1 = Scale::px(std::min(line.y1, line.y2));
    const int y2 = Scale::px(std::max(line.y1, line.y2));
    const int before = line.width / 2;
    if (y1 == y2)
        return {x1, y1 - before, x2 - x1, line.width};
    return {x1 - before, y1, line.width, y2 - y1};
}

// The platform has no scroll-bar or caption colour roles; these palette roles play their parts. The caption
// text colour is the typing box's own background, so that Line4 joins the grade label to the box.
QColor scrollBarColour(const QWidget *widget)
{
    return widget->palette().color(QPalette::Mid);
}

QColor captionTextColour(const QWidget *widget)
{
    return widget->palette().color(QPalette::Base);
}

QColor inactiveCaptionColour(const QWidget *widget)
{
    return widget->palette().color(QPalette::Dark);
}

} // namespace ClientLayout

// The window colour is the system's window background (a text box's background). It is painted here rather
// than set as the background role, which the labels would inherit along with its text colour.
ClientArea::ClientArea(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ClientArea::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    // Shape1 hides the background under it: the picture is drawn only where some of it shows.
    const QRegion shown = event->region() - pixels(Shape1Twips);
    if (!shown.isEmpty()) {
        if (!m_backgroundSvg) {
            m_backgroundSvg = new QSvgRenderer(QStringLiteral(":/pictures/fond.svg"), this);
            for (const char *id : ClientLayout::BackgroundParts) {
                const QString part = QString::fromLatin1(id);
                if (m_backgroundSvg->elementExists(part))
                    m_backgroundParts.append({part, m_backgroundSvg->boundsOnElement(part)});
            }
            // A picture without these parts is drawn whole at each paint.
            if (m_backgroundParts.size() != static_cast<qsizetype>(ClientLayout::BackgroundParts.size()))
                m_backgroundParts = {{QString(), QRectF(QPointF(0, 0), QSizeF(BackgroundSize))}};
        }
        painter.save();
        painter.setClipRegion(shown, Qt::IntersectClip);
        // A part drawn on its own bounds lies where the whole picture has it.
        for (const BackgroundPart &part : std::as_const(m_backgroundParts)) {
            if (!shown.intersects(part.bounds.toAlignedRect().adjusted(-2, -2, 2, 2)))
                continue;
            if (part.id.isEmpty())
                m_backgroundSvg->render(&painter, part.bounds);
            else
                m_backgroundSvg->render(&painter, part.id, part.bounds);
        }
        painter.restore();
    }
    painter.fillRect(pixels(Shape1Twips), Qt::black);

    const QColor scrollBar = ClientLayout::scrollBarColour(this);
    const QColor captionText = ClientLayout::captionTextColour(this);
    const QColor inactiveCaption = ClientLayout::inactiveCaptionColour(this);
    fillLine(painter, Line1, scrollBar);
    fillLine(painter, Line2, scrollBar);
    fillLine(painter, Line3, captionText);
    fillLine(painter, Line6, captionText);
    fillLine(painter, Line5, inactiveCaption);
    fillLine(painter, Line7, inactiveCaption);
}

void ClientArea::setDefaultButton(QPushButton *button)
{
    m_defaultButton = button;
}

void ClientArea::keyPressEvent(QKeyEvent *event)
{
    // As in a dialog: a text box lets Enter through to its window, which clicks the default button.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const bool plain = event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier;
    if (enter && plain) {
        if (m_defaultButton && m_defaultButton->isEnabled() && m_defaultButton->isVisible()) {
            m_defaultButton->click();
            event->accept();
            return;
        }
    }
    QWidget::keyPressEvent(event);
}

FrontDecorations::FrontDecorations(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setGeometry(shape2Pixels().united(ClientLayout::lineRect(Line4)));
}

void FrontDecorations::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.translate(-pos());
    outline(painter, shape2Pixels(), palette().color(QPalette::WindowText));
    fillLine(painter, Line4, ClientLayout::captionTextColour(this));
}

FilledBox::FilledBox(const QColor &fill, QWidget *parent) : QWidget(parent), m_fill(fill) {}

void FilledBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), m_fill);
    outline(painter, rect(), palette().color(QPalette::WindowText));
}

StarRow::StarRow(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void StarRow::setProgress(int done, int total)
{
    total = std::max(total, 0);
    done = std::clamp(done, 0, total);
    if (done == m_done && total == m_total)
        return;
    // A word done fills one star: only that star is painted again.
    const bool sameRow = total == m_total;
    const int from = std::min(done, m_done);
    const int to = std::max(done, m_done);
    m_done = done;
    m_total = total;
    setAccessibleDescription(QStringLiteral("%1 mots faits sur %2").arg(done).arg(total));
    if (!sameRow) {
        update();
        return;
    }
    for (int i = from; i < to; ++i)
        update(starRect(i));
}

double StarRow::pitch() const
{
    // The stars of a long series are closer together when the row would not fit.
    return m_total > 0 ? std::min<double>(Pitch, double(width()) / m_total) : Pitch;
}

QPointF StarRow::centre(int index) const
{
    // The row is centred.
    const double left = (width() - pitch() * m_total) / 2.0;
    return {left + pitch() * (index + 0.5), height() / 2.0 + pitch() * 0.45 * 0.1};
}

QRect StarRow::starRect(int index) const
{
    const double reach = pitch() * 0.45 + 2;
    return QRectF(centre(index) - QPointF(reach, reach), QSizeF(2 * reach, 2 * reach)).toAlignedRect();
}

void StarRow::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const double radius = pitch() * 0.45;
    QPainterPath star;
    for (int point = 0; point < 10; ++point) {
        const double angle = -M_PI / 2 + point * M_PI / 5;
        const double r = point % 2 == 0 ? radius : radius * 0.45;
        const QPointF corner(r * std::cos(angle), r * std::sin(angle));
        point == 0 ? star.moveTo(corner) : star.lineTo(corner);
    }
    star.closeSubpath();
    for (int i = 0; i < m_total; ++i) {
        if (!event->region().intersects(starRect(i)))
            continue;
        const bool filled = i < m_done;
        painter.setPen(QPen(filled ? QColor(0xc8, 0x7a, 0x00) : QColor(0x9a, 0x8c, 0x6c), 1.3, Qt::SolidLine,
                            Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(filled ? QColor(0xff, 0xc8, 0x2e) : QColor(255, 255, 255, 170));
        painter.drawPath(star.translated(centre(i)));
    }
}

void TypingBox::setModel(const QString &model)
{
    if (model == m_model)
        return;
    m_model = model;
    update();
}

void TypingBox::paintEvent(QPaintEvent *event)
{
    QLineEdit::paintEvent(event);
    const QString typed = text();
    if (m_model.size() <= typed.size())
        return;
    // Where QLineEdit lays out its one line: its contents, a fixed inner margin of 2 pixels on the left, the
    // line centred on the height of the typed text's ink or of the font, whichever is taller. The window
    // keeps the whole model in view (its font fitted to it), so the line never scrolls.
    QStyleOptionFrame option;
    initStyleOption(&option);
    const QRect contents =
        style()->subElementRect(QStyle::SE_LineEditContents, &option, this).marginsRemoved(textMargins());
    const QFontMetrics metrics = fontMetrics();
    const int lineHeight = std::max(metrics.boundingRect(typed).height(), metrics.height());
    const double left = contents.x() + 2;
    const double baseline = contents.y() + (contents.height() - lineHeight + 1) / 2 + metrics.ascent();
    const double typedEnd = left + QFontMetricsF(font()).horizontalAdvance(typed);
    QPainter painter(this);
    painter.setClipRect(QRectF(typedEnd, contents.y(), contents.right() + 1 - typedEnd, contents.height()));
    painter.setFont(font());
    painter.setPen(ModelColour);
    painter.drawText(QPointF(left, baseline), m_model);
}
