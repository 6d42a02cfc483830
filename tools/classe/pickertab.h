#pragma once

// "À qui le tour ?", the pupils' own screen: a face for each pupil of the class, as large as the room allows;
// a click names the pupil and starts Frappin, then the faces rest a moment. With the path on, each face
// shows the pupil's lesson's number, so that a child finds where they are before sitting down.

#include "classlist.h"

#include <QWidget>
#include <functional>

class QGridLayout;
class QLabel;
class QScrollArea;

// A pupil's face: the photograph, or the letters of ClassList::discLetters on a coloured disc.
QPixmap pupilFace(const ClassPupil &pupil, const QString &letters, int size);

class PickerTab : public QWidget {
public:
    // choose names the pupil and starts Frappin; it returns the empty text or why it failed, in French.
    explicit PickerTab(std::function<QString(const ClassPupil &)> choose, QWidget *parent = nullptr);
    // A face for each of pupils, by first name.
    void refresh(const QList<ClassPupil> &pupils);

    // The grid for count pupils in room: how many faces a row, their size and the cell's, in pixels; with
    // lessons, a line for the lesson's number under each name.
    struct Grid {
        int columns;
        int face;
        QSize cell;
    };
    static Grid grid(int count, QSize room, bool lessons = false);
    static constexpr int MaxFace = 150;
    static constexpr int MinFace = 72;
    static constexpr int Spacing = 8;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void placeFaces();
    void picked(const ClassPupil &pupil);

    std::function<QString(const ClassPupil &)> m_choose;
    // The title gives way to the news of a click, and comes back when the faces can be clicked again.
    QLabel *m_status = nullptr;
    QScrollArea *m_scroll = nullptr;
    // Its only children are the faces.
    QWidget *m_holder = nullptr;
    QGridLayout *m_faces = nullptr;
    bool m_withLessons = false; // the path is on: the lesson's number under each face
};
