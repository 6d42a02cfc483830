#pragma once

// The painted parts of the main window's client area, outside its controls.
//
// The window's elements overlap in a fixed order from back to front: the background picture, the black frame
// under the keyboard (Shape1), the grey box of the word (MotATaperBord), the logo, the keyboard, the shadow
// lines, the labels and pictures, then the outline round the typing box (Shape2) and the thick line that
// joins the grade label to it (Line4); the text boxes and the button come last. ClientArea paints the
// background, Shape1 and the other lines behind every control (no line crosses a control that the order puts
// behind it, so painting them first changes nothing); FrontDecorations paints Shape2 and Line4 in front of
// the labels and pictures; the window stacks its controls between them.

#include <QLineEdit>
#include <QList>
#include <QPointer>
#include <QRectF>
#include <QWidget>

#include <array>

class QPushButton;
class QSvgRenderer;

namespace ClientLayout {

// The parts of the background picture, from back to front, which together make the whole picture.
inline constexpr std::array<const char *, 4> BackgroundParts{"mur-et-bureau", "bulles", "pot", "guirlande"};

// A straight decoration line, in twips, with its width in pixels.
struct Line {
    int x1, y1, x2, y2;
    int width;
};

// The pixels a decoration line covers: its length from the lower to the higher end (the higher end excluded),
// and its width centred on it.
QRect lineRect(const Line &line);

// Colours named after the system roles of the layout, taken from the widget's palette.
QColor scrollBarColour(const QWidget *widget);
QColor captionTextColour(const QWidget *widget);
QColor inactiveCaptionColour(const QWidget *widget);

} // namespace ClientLayout

class ClientArea : public QWidget {
    Q_OBJECT
public:
    explicit ClientArea(QWidget *parent = nullptr);

    // Enter and Return that no control takes act as a click on this button while it is enabled.
    void setDefaultButton(QPushButton *button);

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    // The background picture, drawn from its vector source at each paint (only the damaged part reaches the
    // screen). Kept as a pixmap it would cost as much memory as the whole window's own buffer.
    QSvgRenderer *m_backgroundSvg = nullptr;
    // The picture's parts, back to front, with where each one draws: a paint draws only the parts it shows
    // (the typed text and the hands show the wall and the desk alone, not the decorations at the edges).
    struct BackgroundPart {
        QString id;
        QRectF bounds;
    };
    QList<BackgroundPart> m_backgroundParts;
    QPointer<QPushButton> m_defaultButton;
};

// Shape2 and Line4, drawn over the labels and pictures but under the text boxes. Lets the mouse through.
class FrontDecorations : public QWidget {
    Q_OBJECT
public:
    explicit FrontDecorations(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};

// A filled rectangle with a one-pixel outline (MotATaperBord).
class FilledBox : public QWidget {
    Q_OBJECT
public:
    FilledBox(const QColor &fill, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_fill;
};

// The progress of a series: one small star per word, filled for each word done, outlined for each word left.
// Drawn, not taken from a font, so that it looks the same on every machine.
class StarRow : public QWidget {
    Q_OBJECT
public:
    explicit StarRow(QWidget *parent = nullptr);

    void setProgress(int done, int total);
    int done() const { return m_done; }
    int total() const { return m_total; }

    // The width of one star's place, in pixels.
    static constexpr int Pitch = 17;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    double pitch() const;
    QPointF centre(int index) const;
    // Where a star draws, its outline included.
    QRect starRect(int index) const;

    int m_done = 0;
    int m_total = 0;
};

// The typing box (MonTexte). It can also show the text to type as grey letters, at the typed letters' size
// and place, from the end of the typed text on: each letter typed right covers its model.
class TypingBox : public QLineEdit {
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;

    void setModel(const QString &model);
    QString model() const { return m_model; }

    // Readable as large text (3.7:1 on white) and plainly not yet typed.
    static inline const QColor ModelColour{0x85, 0x85, 0x85};

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_model;
};
