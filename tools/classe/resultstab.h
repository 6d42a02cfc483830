#pragma once

// "Résultats": the class table drawn from the history (each pupil's lesson and permis at its end, the
// teacher moving a pupil to another lesson there), the panel of the pupil chosen in it (the last series,
// the chart, the keys most missed, in every series or in the dictated ones), the series waiting on this
// computer and why, the "permis clavier" of a pupil who earned it, and on the school's server a series the
// teacher does not trust hidden.

#include "classlist.h"

#include "keyboard/keytable.h"

#include <QHash>

#include <QWidget>

class QChartView;
class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;
class HeatMapView;

class ResultsTab : public QWidget {
public:
    explicit ResultsTab(QWidget *parent = nullptr);
    // The pupils of the class first, then those only the history knows; the pupil shown stays chosen.
    void refresh(const QList<ClassPupil> &pupils);

private:
    QWidget *makeTable(QWidget *parent);
    QWidget *makePanel(QWidget *parent);
    void showPupil(const QString &eleve);
    void showMissedKeys();
    void exportTable();
    void hideSeries();
    void changeLesson();
    void exportPermis();

    QList<ClassPupil> m_pupils;
    QTableWidget *m_summaryTable = nullptr;
    QLabel *m_pupilTitle = nullptr;
    QLabel *m_lastSeries = nullptr;
    QLabel *m_waiting = nullptr;
    QChartView *m_chart = nullptr;
    HeatMapView *m_heatMap = nullptr;
    QComboBox *m_missedIn = nullptr; // every series, or the dictated ones only
    QPushButton *m_permisButton = nullptr;
    QStringList m_lessons; // the path's, read at each refresh
    QString m_shownPupil;
    QList<History::Record> m_shownRecords;
    QHash<QString, QList<History::Record>> m_byPupil; // the history as the last refresh read it
    TextTable m_keyTable;
    qint16 m_lastKey = -1;
};
