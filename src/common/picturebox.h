#pragma once

// An image control: shows a vector picture drawn at the control's own size (sharp at any screen scale), or a
// bitmap stretched to fill it, with an optional single-line border. Without a picture it draws nothing.

#include <QImage>
#include <QWidget>

class QSvgRenderer;

class PictureBox : public QWidget {
    Q_OBJECT
public:
    explicit PictureBox(QWidget *parent = nullptr);

    // A picture of the program's resources, such as ":/pictures/bravo.svg".
    void setSvg(const QString &resource);
    void setImage(const QImage &image);
    bool hasPicture() const;

    void setBorder(bool on);
    bool hasBorder() const { return m_border; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QSvgRenderer *m_svg = nullptr;
    // The vector picture drawn at the control's size, kept until the picture or the size changes: a hand
    // moved to the next key is copied, not drawn again.
    QImage m_drawnSvg;
    QImage m_image;
    bool m_border = false;
};
