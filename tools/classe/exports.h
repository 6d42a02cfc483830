#pragma once

// What the results give out of the window: the chart of a pupil's series, the keyboard of the keys the pupil
// misses, the CSV files, the PDF sheet and the "permis clavier". Each export asks where, writes the file
// whole and tells a failure.

#include "history/history.h"

#include <QDate>
#include <QMap>
#include <QWidget>

#include <optional>

class QChart;
class QChartView;

// The chart of a pupil's grades and speeds, oldest series first; the grades of dictated series ringed.
QChart *progressChart(const QList<History::Record> &records);

// The mistakes of the series by the character expected, summed; the dictated series only when dictationOnly.
QMap<QString, int> missedCharacters(const QList<History::Record> &records, bool dictationOnly);

// The keyboard picture with the keys a pupil misses, scaled to the room it has.
class HeatMapView : public QWidget {
public:
    explicit HeatMapView(QWidget *parent = nullptr);
    void setKeys(const QMap<int, int> &keys);
    const QMap<int, int> &keys() const { return m_keys; }
    void paint(QPainter &painter, const QRectF &room) const;
    int heightForWidth(int width) const override;
    bool hasHeightForWidth() const override { return true; }

protected:
    void paintEvent(QPaintEvent *) override;

private:
    QMap<int, int> m_keys;
};

namespace Exports {

// rows: the class table as shown, without its titles.
void classTable(QWidget *parent, const QList<QStringList> &rows);
// records: the pupil's series, oldest first.
void history(QWidget *parent, const QString &eleve, const QList<History::Record> &records);

// A page for the pupil's file: the pupil's figures, the chart and the keys most missed as the panel shows
// them.
struct Sheet {
    QString eleve;
    QList<History::Record> records;
    QString lastSeries;
    QChartView *chart = nullptr;
    const HeatMapView *heatMap = nullptr;
    bool dictationOnly = false; // the heat map counts the dictated series only
};
void report(QWidget *parent, const Sheet &sheet);

// The "permis clavier" of a pupil who passed the last lesson: one A4 page to print and hand over.
struct Permis {
    QString eleve;       // the name the results are stored under, for the file's name
    QString name;        // as printed: "Prénom Nom" from the class list, else the results' name
    QDate day;           // the day it was earned
    QStringList lessons; // the titles of the lessons passed, in their order
    std::optional<int> bestGrade;
    double bestSpeed = 0; // characters per minute
};
void permis(QWidget *parent, const Permis &permis);

} // namespace Exports
