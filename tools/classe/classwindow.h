#pragma once

// The window of frappin-classe: the class, the pupils' own screen "À qui le tour ?" and the results, each a
// room of its own (classtab.h, pickertab.h, resultstab.h). The window decides which tab is open, when the
// teacher's code is asked, and starts Frappin for the pupil picked.

#include "classlist.h"
#include "exports.h"
#include "pickertab.h"

#include <QMainWindow>

class QStackedWidget;
class QTabWidget;
class ClassTab;
class ResultsTab;

class ClassWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit ClassWindow(QWidget *parent = nullptr);

    // Names the pupil for Frappin and starts it; returns the empty text or why it failed, in French.
    QString choosePupil(const ClassPupil &pupil);

    using PickerGrid = PickerTab::Grid;
    static PickerGrid pickerGrid(int count, QSize room) { return PickerTab::grid(count, room); }
    static constexpr int MinFace = PickerTab::MinFace;
    static QChart *progressChart(const QList<History::Record> &records) { return ::progressChart(records); }

private:
    QWidget *lockable(QWidget *page);
    void tabChosen(int index);

    QTabWidget *m_tabs = nullptr;
    ClassTab *m_class = nullptr;
    PickerTab *m_picker = nullptr;
    ResultsTab *m_results = nullptr;
    // The class and the results, each behind its notice of the teacher's side.
    QList<QStackedWidget *> m_locks;
    // The Frappin started for the last pupil picked, closed when another pupil is picked: its series would
    // otherwise be stored under the new pupil's name.
    qint64 m_frappinPid = 0;
};
