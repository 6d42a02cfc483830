#include "pickertab.h"

#include "companion.h"

#include "settings/pupilphoto.h"
#include "settings/store.h"
#include "words/lessonplace.h"
#include "words/lessons.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const QString PickerTitle = QStringLiteral("À qui le tour ? Clique sur ta photo !");

QPixmap photoOf(const ClassPupil &pupil, int size)
{
    const QImage image = loadPupilPhoto(pupilPhotoPath(pupilPhotoFolder(), pupil.nom, pupil.prenom));
    if (image.isNull())
        return {};
    return QPixmap::fromImage(image.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

// A face for a pupil without a photograph.
QPixmap initialOf(const ClassPupil &pupil, const QString &letters, int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor colour = QColor::fromHsv(static_cast<int>(qHash(pupil.eleve) % 360), 90, 235);
    painter.setBrush(colour);
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QRectF(2, 2, size - 4, size - 4));
    QFont font = painter.font();
    font.setPixelSize(letters.size() > 1 ? size * 2 / 5 : size / 2);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(colour.darker(220));
    painter.drawText(QRect(0, 0, size, size), Qt::AlignCenter, letters);
    return pixmap;
}

// A pupil's face and first name in a cell of the grid, and with the path on the lesson's number on a tag
// under the name; the name breaks after a hyphen ("Marie-" over "Bernadette") and its letters shrink only
// when one word is wider than the cell.
class FaceButton : public QAbstractButton {
public:
    FaceButton(const ClassPupil &pupil, const QString &letters, const QString &lesson, QWidget *parent)
        : QAbstractButton(parent), m_pupil(pupil), m_letters(letters), m_lesson(lesson)
    {
        setText(pupil.prenom);
        setFocusPolicy(Qt::StrongFocus);
        setCursor(Qt::PointingHandCursor);
        setAttribute(Qt::WA_Hover);
    }
    static int nameHeight(int face) { return 2 * namePixels(face) * 6 / 5 + 6; }
    static int lessonHeight(int face) { return lessonPixels(face) * 6 / 5 + 4; }
    void setFace(int face)
    {
        if (face != m_pixmap.width())
            m_pixmap = pupilFace(m_pupil, m_letters, face);
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        if (isDown() || underMouse() || hasFocus()) {
            painter.setPen(hasFocus() ? QPen(palette().color(QPalette::Highlight), 3) : Qt::NoPen);
            painter.setBrush(palette().color(isDown() ? QPalette::Midlight : QPalette::AlternateBase));
            painter.drawRoundedRect(QRectF(rect()).adjusted(2, 2, -2, -2), 10, 10);
        }
        const int face = m_pixmap.width();
        painter.drawPixmap((width() - face) / 2, 4, m_pixmap);
        QFont font = this->font();
        font.setBold(true);
        font.setPixelSize(namePixels(face));
        const int lessonLine = m_lesson.isEmpty() ? 0 : lessonHeight(face);
        const QRect room(4, face + 6, width() - 8, height() - face - 8 - lessonLine);
        // The longest word, cut after its hyphens as the line breaks do, must fit the cell's width.
        const QStringList words = text().replace(u'-', QStringLiteral("- ")).split(u' ', Qt::SkipEmptyParts);
        for (const QString &word : words) {
            while (font.pixelSize() > 10 && QFontMetrics(font).horizontalAdvance(word) > room.width())
                font.setPixelSize(font.pixelSize() - 1);
        }
        painter.setFont(font);
        painter.setPen(
            palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
        QRect name;
        painter.drawText(room, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, text(), &name);
        if (lessonLine > 0) {
            // A tag right under the name, as on a school bag.
            font.setBold(false);
            font.setPixelSize(lessonPixels(face));
            painter.setFont(font);
            const int tagWidth = QFontMetrics(font).horizontalAdvance(m_lesson) + lessonPixels(face);
            const QRectF tag((width() - tagWidth) / 2.0, name.bottom() + 3, tagWidth, lessonLine - 2);
            painter.setPen(Qt::NoPen);
            painter.setBrush(QColor(0xff, 0xf0, 0xb3));
            painter.drawRoundedRect(tag, tag.height() / 2, tag.height() / 2);
            painter.setPen(QColor(0x5c, 0x40, 0x00));
            painter.drawText(tag, Qt::AlignCenter, m_lesson);
        }
    }

private:
    static int namePixels(int face) { return std::clamp(face / 5, 16, 24); }
    static int lessonPixels(int face) { return std::clamp(face / 7, 14, 20); }

    ClassPupil m_pupil;
    QString m_letters;
    QString m_lesson; // "Leçon 3", or empty off the path
    QPixmap m_pixmap;
};

} // namespace

QPixmap pupilFace(const ClassPupil &pupil, const QString &letters, int size)
{
    const QPixmap photo = photoOf(pupil, size);
    return photo.isNull() ? initialOf(pupil, letters, size) : photo;
}

PickerTab::PickerTab(std::function<QString(const ClassPupil &)> choose, QWidget *parent)
    : QWidget(parent), m_choose(std::move(choose))
{
    auto *layout = new QVBoxLayout(this);
    m_status = new QLabel(PickerTitle, this);
    QFont font = m_status->font();
    font.setPointSize(20);
    font.setBold(true);
    m_status->setFont(font);
    m_status->setAlignment(Qt::AlignCenter);
    m_status->setWordWrap(true);
    layout->addWidget(m_status);
    // A class larger than the screen holds at a readable size scrolls; a class of thirty does not.
    m_scroll = new QScrollArea(this);
    m_scroll->setWidgetResizable(true);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->installEventFilter(this);
    m_holder = new QWidget;
    m_faces = new QGridLayout(m_holder);
    m_faces->setSpacing(Spacing);
    m_faces->setContentsMargins(0, 0, 0, 0);
    m_faces->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    m_scroll->setWidget(m_holder);
    layout->addWidget(m_scroll, 1);
}

bool PickerTab::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_scroll && event->type() == QEvent::Resize)
        placeFaces();
    return QWidget::eventFilter(watched, event);
}

PickerTab::Grid PickerTab::grid(int count, QSize room, bool lessons)
{
    const auto below = [lessons](int face) {
        return FaceButton::nameHeight(face) + (lessons ? FaceButton::lessonHeight(face) : 0);
    };
    // The column count that gives the largest faces, every cell the same size.
    Grid best{1, 0, {}};
    for (int columns = 1; columns <= std::max(1, count); ++columns) {
        const int rows = (count + columns - 1) / columns;
        const int cellWidth = (room.width() - (columns - 1) * Spacing) / columns;
        const int cellHeight = (room.height() - (rows - 1) * Spacing) / std::max(1, rows);
        int face = std::min(cellWidth - 12, MaxFace);
        while (face > 0 && face + 10 + below(face) > cellHeight)
            --face;
        if (face > best.face)
            best = {columns, face, {cellWidth, face + 10 + below(face)}};
    }
    // Below this a face is too small for a child to find: the grid scrolls instead, beside its scroll bar.
    if (best.face < MinFace) {
        const int width = room.width() - QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        const int columns = std::max(1, (width + Spacing) / (MinFace + 12 + Spacing));
        best = {
            columns, MinFace, {(width - (columns - 1) * Spacing) / columns, MinFace + 10 + below(MinFace)}};
    }
    return best;
}

void PickerTab::placeFaces()
{
    const QList<QAbstractButton *> faces =
        m_holder->findChildren<QAbstractButton *>(Qt::FindDirectChildrenOnly);
    if (faces.isEmpty())
        return;
    const QSize room = m_scroll->maximumViewportSize() - QSize(4, 4);
    const Grid cells = grid(static_cast<int>(faces.size()), room, m_withLessons);
    while (QLayoutItem *item = m_faces->takeAt(0))
        delete item;
    for (int i = 0; i < faces.size(); ++i) {
        faces[i]->setFixedSize(cells.cell);
        static_cast<FaceButton *>(faces[i])->setFace(cells.face);
        m_faces->addWidget(faces[i], i / cells.columns, i % cells.columns);
    }
}

void PickerTab::refresh(const QList<ClassPupil> &pupils)
{
    qDeleteAll(m_holder->findChildren<QAbstractButton *>(Qt::FindDirectChildrenOnly));
    m_status->setText(pupils.isEmpty() ? QStringLiteral("La classe est vide : l'enseignant ajoute les élèves "
                                                        "dans l'onglet « La classe ».")
                                       : PickerTitle);
    const QList<ClassPupil> sorted = ClassList::byFirstName(pupils);
    const QStringList letters = ClassList::discLetters(sorted);
    // Off the path, a lesson stored for a pupil draws nothing: the faces say only what the series do.
    const QStringList lessons =
        Store::switchedOn(Store::Parcours) ? Lessons::inFolder(frappinFolder()) : QStringList();
    m_withLessons = !lessons.isEmpty();
    for (int i = 0; i < sorted.size(); ++i) {
        const ClassPupil pupil = sorted[i];
        const int number = lessons.isEmpty() ? 0 : LessonPlace::of(pupil.eleve, lessons).number;
        const QString lesson = number > 0 ? QStringLiteral("Leçon %1").arg(number) : QString();
        auto *face = new FaceButton(pupil, letters[i], lesson, m_holder);
        face->setObjectName(QStringLiteral("visage-") + pupil.eleve);
        face->setAccessibleName(pupil.prenom + u' ' + pupil.nom +
                                (lesson.isEmpty() ? QString() : QStringLiteral(", ") + lesson.toLower()));
        connect(face, &QAbstractButton::clicked, this, [this, pupil] { picked(pupil); });
    }
    placeFaces();
}

void PickerTab::picked(const ClassPupil &pupil)
{
    // One click starts one Frappin: the faces rest a moment.
    m_holder->setEnabled(false);
    QTimer::singleShot(4000, m_holder, [this] {
        m_holder->setEnabled(true);
        m_status->setText(PickerTitle);
    });
    const QString error = m_choose(pupil);
    m_status->setText(error.isEmpty()
                          ? QStringLiteral("C'est au tour de %1 ! Frappin démarre...").arg(pupil.prenom)
                          : error);
    if (!error.isEmpty())
        tell(this, error);
}
