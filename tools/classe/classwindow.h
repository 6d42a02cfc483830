#pragma once

// The window of frappin-classe: the class, the pupils' own screen "À qui le tour ?" and the results.

#include "classlist.h"

#include <QMainWindow>
#include <QMap>

class QChart;
class QChartView;
class QLabel;
class QTableWidget;
class QTabWidget;
class QStackedWidget;
class QGridLayout;
class QScrollArea;
class HeatMapView;

namespace QtCharts {
}

class ClassWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit ClassWindow(QWidget *parent = nullptr);

    // The program started for a pupil: Frappin beside this program, or in ../lib/frappin/.
    static QString frappinProgram();
    // Names the pupil for Frappin and starts it; returns the empty text or why it failed, in French.
    QString choosePupil(const ClassPupil &pupil);

    QList<ClassPupil> pupils() const { return m_pupils; }

    // The grid of "À qui le tour ?" for count pupils in room: how many faces a row, their size and the
    // cell's, in pixels.
    struct PickerGrid {
        int columns;
        int face;
        QSize cell;
    };
    static PickerGrid pickerGrid(int count, QSize room);
    static constexpr int MaxFace = 150;
    static constexpr int MinFace = 72;
    static constexpr int PickerSpacing = 8;
    // The chart of a pupil's grades and speeds, oldest series first.
    static QChart *progressChart(const QList<History::Record> &records);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void placeFaces();
    QWidget *lockable(QWidget *page);
    void tabChosen(int index);
    QWidget *makeClassTab();
    QWidget *makePickerTab();
    QWidget *makeResultsTab();
    void refreshClass();
    void refreshPicker();
    void refreshResults();
    void showPupil(const QString &eleve);
    bool saveClass();
    void addPupil();
    void changePupil();
    void removePupil();
    void choosePhotoFolder();
    void importClass();
    void exportTable();
    void exportHistory();
    void exportReport();
    void hideSeries();

    QList<ClassPupil> m_pupils;
    QTabWidget *m_tabs = nullptr;
    // The class and the results, each behind its notice of the teacher's side.
    QList<QStackedWidget *> m_locks;
    QLabel *m_photoFolder = nullptr;
    QTableWidget *m_classTable = nullptr;
    QGridLayout *m_faces = nullptr;
    QWidget *m_facesHolder = nullptr;
    QScrollArea *m_facesScroll = nullptr;
    QLabel *m_pickerStatus = nullptr;
    QTableWidget *m_summaryTable = nullptr;
    QLabel *m_pupilTitle = nullptr;
    QLabel *m_lastSeries = nullptr;
    QLabel *m_waiting = nullptr;
    QChartView *m_chart = nullptr;
    HeatMapView *m_heatMap = nullptr;
    QString m_shownPupil;
    QList<History::Record> m_shownRecords;
    // The Frappin started for the last pupil picked, closed when another pupil is picked: its series would
    // otherwise be stored under the new pupil's name.
    qint64 m_frappinPid = 0;
};
