#pragma once

// The window of frappin-classe: the class, the pupils' own screen "À qui le tour ?" and the results.

#include "classlist.h"

#include <QMainWindow>
#include <QMap>

class QChartView;
class QLabel;
class QTableWidget;
class QTabWidget;
class QStackedWidget;
class QGridLayout;
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

private:
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
