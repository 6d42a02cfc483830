#include "common/picturebox.h"

#include <QPainter>
#include <QSvgRenderer>

PictureBox::PictureBox(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
}

void PictureBox::setSvg(const QString &resource)
{
    if (!m_svg)
        m_svg = new QSvgRenderer(this);
    m_svg->load(resource);
    m_drawnSvg = QImage();
    m_image = QImage();
    update();
}

void PictureBox::setImage(const QImage &image)
{
    if (m_svg)
        m_svg->load(QByteArray());
    m_drawnSvg = QImage();
    m_image = image;
    update();
}

bool PictureBox::hasPicture() const
{
    return !m_image.isNull() || (m_svg && m_svg->isValid());
}

void PictureBox::setBorder(bool on)
{
    m_border = on;
    update();
}

void PictureBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRect area = rect();
    if (!m_image.isNull())
        painter.drawImage(area, m_image);
    else if (m_svg && m_svg->isValid()) {
        const qreal ratio = devicePixelRatioF();
        if (m_drawnSvg.size() != area.size() * ratio || m_drawnSvg.devicePixelRatio() != ratio) {
            m_drawnSvg = QImage(area.size() * ratio, QImage::Format_ARGB32_Premultiplied);
            m_drawnSvg.setDevicePixelRatio(ratio);
            m_drawnSvg.fill(Qt::transparent);
            QPainter picture(&m_drawnSvg);
            m_svg->render(&picture, QRectF(area));
        }
        painter.drawImage(area.topLeft(), m_drawnSvg);
    }
    if (m_border) {
        painter.setPen(QPen(palette().windowText().color(), 1));
        painter.drawRect(area.adjusted(0, 0, -1, -1));
    }
}
