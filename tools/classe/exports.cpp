#include "exports.h"

#include "classlist.h"
#include "companion.h"

#include "common/savefile.h"
#include "history/csv.h"
#include "keyboard/heatmap.h"
#include "keyboard/keyboardpicture.h"
#include "keyboard/keycaps.h"

#include <QBuffer>
#include <QChart>
#include <QChartView>
#include <QDateTimeAxis>
#include <QDir>
#include <QFileDialog>
#include <QLineSeries>
#include <QPainter>
#include <QPdfWriter>
#include <QScatterSeries>
#include <QValueAxis>

#include <cmath>
#include <functional>

namespace {

// The dates of the series, as close as they need to be read.
QDateTimeAxis *timeAxis(const QList<History::Record> &records)
{
    auto *time = new QDateTimeAxis;
    time->setFormat(QStringLiteral("dd/MM"));
    time->setTitleText(QStringLiteral("Date"));
    if (records.isEmpty())
        return time;
    const QDateTime first = records.first().start.toLocalTime();
    const QDateTime last = records.last().start.toLocalTime();
    // The series fill the width, so that those of one sitting, minutes apart, are told apart.
    const qint64 margin = std::max<qint64>(first.secsTo(last) / 20, 300);
    time->setRange(first.addSecs(-margin), last.addSecs(margin));
    if (first.date() == last.date()) {
        time->setFormat(QStringLiteral("HH:mm"));
        time->setTitleText(QStringLiteral("Heure, le %1").arg(first.toString(QStringLiteral("dd/MM/yyyy"))));
    } else if (first.daysTo(last) < 3) {
        time->setFormat(QStringLiteral("dd/MM HH:mm"));
    }
    return time;
}

QValueAxis *gradeAxis(const QList<History::Record> &records)
{
    auto *axis = new QValueAxis;
    int low = 0;
    for (const History::Record &record : records)
        low = std::min(low, record.grade);
    // Room above 20 and below the lowest grade, so that a point there is drawn whole; the labels stay on
    // the grades themselves.
    axis->setRange(low - 1.5, 21.5);
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(0);
    axis->setTickInterval(5);
    axis->setTitleText(QStringLiteral("Note"));
    axis->setLabelFormat(QStringLiteral("%.0f"));
    return axis;
}

QValueAxis *speedAxis(double fastest)
{
    auto *axis = new QValueAxis;
    axis->setRange(0, std::ceil(fastest * 1.08 / 10) * 10);
    axis->setTitleText(QStringLiteral("Caractères par minute"));
    axis->setLabelFormat(QStringLiteral("%.0f"));
    axis->applyNiceNumbers();
    axis->setGridLineVisible(false);
    return axis;
}

// Where to save, in the home folder under name; the empty text when the teacher gave up.
QString askPath(QWidget *parent, const QString &caption, const QString &name, const QString &filter)
{
    return QFileDialog::getSaveFileName(parent, caption, QDir::home().filePath(name), filter);
}

const QString CsvFiles = QStringLiteral("Fichiers CSV (*.csv)");

// The pupil's figures as the sheet gives them: the last series, the class table's line, the day.
QString sheetText(const Exports::Sheet &sheet)
{
    const QStringList fields = ClassList::tableFields(ClassList::summarise(sheet.eleve, sheet.records));
    const QStringList header = ClassList::tableHeader();
    QString text = sheet.lastSeries + u'\n';
    for (int i = 1; i < fields.size(); ++i)
        text += header[i] + QStringLiteral(" : ") + (fields[i].isEmpty() ? QStringLiteral("-") : fields[i]) +
                u'\n';
    return text + QStringLiteral("Fiche du ") +
           QLocale(QLocale::French).toString(QDate::currentDate(), QLocale::LongFormat);
}

void drawSheet(QPainter &painter, const Exports::Sheet &sheet)
{
    const QRect page = painter.viewport().adjusted(40, 40, -40, -40);
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPointSize(20);
    font.setBold(true);
    painter.setFont(font);
    int y = page.top();
    painter.drawText(QRect(page.left(), y, page.width(), 60), Qt::AlignLeft,
                     QStringLiteral("Frappin - ") + sheet.eleve);
    y += 70;
    font.setPointSize(11);
    font.setBold(false);
    painter.setFont(font);
    painter.drawText(QRect(page.left(), y, page.width(), 200), Qt::AlignLeft | Qt::TextWordWrap,
                     sheetText(sheet));
    y += 210;
    const QRect chartRect(page.left(), y, page.width(), page.width() * 9 / 16);
    sheet.chart->render(&painter, chartRect);
    y = chartRect.bottom() + 30;
    painter.drawText(QRect(page.left(), y, page.width(), 40), Qt::AlignLeft,
                     sheet.dictationOnly ? QStringLiteral("Les touches les plus manquées en dictée :")
                                         : QStringLiteral("Les touches les plus manquées :"));
    y += 45;
    sheet.heatMap->paint(painter, QRectF(page.left(), y, page.width(), page.bottom() - y));
}

void drawPermis(QPainter &painter, const Exports::Permis &permis)
{
    // Laid out on a page of 1000 by 1414 (A4's proportions), whatever the device.
    const QRect device = painter.viewport();
    painter.save();
    painter.setWindow(0, 0, 1000, 1414);
    painter.setViewport(device);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(QRect(0, 0, 1000, 1414), Qt::white);
    const QColor ink = KeyboardColours::FirstStep.darker(220);
    painter.setPen(QPen(KeyboardColours::FirstStep, 14));
    painter.drawRoundedRect(QRectF(40, 40, 920, 1334), 36, 36);
    painter.setPen(QPen(KeyboardColours::SecondStep, 4));
    painter.drawRoundedRect(QRectF(66, 66, 868, 1282), 24, 24);

    const auto text = [&painter](int y, int height, int pixels, bool bold, const QColor &colour,
                                 const QString &words, int flags = Qt::AlignHCenter | Qt::AlignTop) {
        QFont font(QStringLiteral("Liberation Sans"));
        font.setPixelSize(pixels);
        font.setBold(bold);
        painter.setFont(font);
        painter.setPen(colour);
        painter.drawText(QRect(110, y, 780, height), flags | Qt::TextWordWrap, words);
    };
    text(120, 110, 92, true, ink, QStringLiteral("Permis clavier"));
    text(240, 40, 28, false, Qt::darkGray, QStringLiteral("Frappin"));
    text(330, 40, 30, false, Qt::black, QStringLiteral("est décerné à"));
    text(380, 150, 64, true, Qt::black, permis.name);
    text(540, 40, 30, false, Qt::black,
         QStringLiteral("le ") +
             QLocale(QLocale::French).toString(permis.day, QStringLiteral("d MMMM yyyy")));

    // A star, the reward a child knows.
    QPolygonF star;
    for (int i = 0; i < 10; ++i) {
        const double angle = -M_PI / 2 + i * M_PI / 5;
        const double radius = i % 2 == 0 ? 70 : 30;
        star << QPointF(500 + radius * std::cos(angle), 690 + radius * std::sin(angle));
    }
    painter.setPen(QPen(QColor(0xb8, 0x86, 0x0b), 4));
    painter.setBrush(QColor(0xff, 0xd7, 0x00));
    painter.drawPolygon(star);
    painter.setBrush(Qt::NoBrush);

    text(790, 40, 30, true, ink,
         permis.lessons.size() == 1
             ? QStringLiteral("pour avoir réussi la leçon du parcours :")
             : QStringLiteral("pour avoir réussi les %1 leçons du parcours :").arg(permis.lessons.size()));
    // Two columns from six lessons on, so that the nineteen a school may have still fit.
    const qsizetype perColumn =
        permis.lessons.size() > 5 ? (permis.lessons.size() + 1) / 2 : permis.lessons.size();
    for (qsizetype i = 0; i < permis.lessons.size(); ++i) {
        const int column = static_cast<int>(i / std::max<qsizetype>(perColumn, 1));
        const int line = static_cast<int>(i % std::max<qsizetype>(perColumn, 1));
        QFont font(QStringLiteral("Liberation Sans"));
        font.setPixelSize(perColumn > 7 ? 20 : 26);
        painter.setFont(font);
        painter.setPen(Qt::black);
        const int left = perColumn < permis.lessons.size() ? 130 + column * 390 : 250;
        painter.drawText(QRect(left, 850 + line * (perColumn > 7 ? 22 : 40), 380, 36),
                         Qt::AlignLeft | Qt::AlignTop,
                         QStringLiteral("%1. %2").arg(i + 1).arg(permis.lessons[i]));
    }
    text(1090, 44, 32, false, Qt::black,
         QStringLiteral("Meilleure note : ") +
             (permis.bestGrade ? QStringLiteral("%1/20").arg(*permis.bestGrade) : QStringLiteral("-")));
    text(1140, 44, 32, false, Qt::black,
         QStringLiteral("Meilleure vitesse : ") +
             (permis.bestSpeed > 0
                  ? QStringLiteral("%1 caractères par minute").arg(std::llround(permis.bestSpeed))
                  : QStringLiteral("-")));
    text(1260, 40, 22, false, Qt::darkGray, QStringLiteral("Signature de l'enseignant :"),
         Qt::AlignRight | Qt::AlignTop);
    painter.restore();
}

// Drawn in memory, then written whole: QPdfWriter writes its file as it draws, so a full disk or a size limit
// left a cut file, and nothing said so. what names the document in the messages ("La fiche PDF"), its
// participles agreeing with it.
void writePdf(QWidget *parent, const QString &path, const QString &title, const QString &what,
              const std::function<void(QPainter &)> &draw)
{
    const QString e = what.startsWith(QLatin1String("La ")) ? QStringLiteral("e") : QString();
    QBuffer bytes;
    bytes.open(QIODevice::WriteOnly);
    QPdfWriter pdf(&bytes);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setResolution(150);
    pdf.setTitle(title);
    pdf.setCreator(QStringLiteral("frappin-classe"));
    QPainter painter;
    if (!painter.begin(&pdf))
        return tell(parent, QStringLiteral("%1 ne peut pas être écrit%2 dans « %3 ».").arg(what, e, path));
    draw(painter);
    if (!painter.end())
        return tell(parent, QStringLiteral("%1 n'a pas pu être fait%2.").arg(what, e));
    if (const QString error = saveWholeFile(path, bytes.data()); !error.isEmpty())
        tell(parent,
             QStringLiteral("%1 n'a pas pu être enregistré%2 dans « %3 » : %4").arg(what, e, path, error));
}

} // namespace

QChart *progressChart(const QList<History::Record> &records)
{
    auto *chart = new QChart;
    chart->setTitle(records.isEmpty() ? QStringLiteral("Pas encore de série dans l'historique")
                                      : QStringLiteral("Note et vitesse au fil des séries"));
    auto *grades = new QLineSeries;
    grades->setName(QStringLiteral("Note sur 20"));
    auto *speeds = new QLineSeries;
    speeds->setName(QStringLiteral("Vitesse (caractères par minute)"));
    // A ring around the grade of a dictated series: spelling weighs on those grades.
    auto *dictated = new QScatterSeries;
    dictated->setName(QStringLiteral("Dictée"));
    dictated->setMarkerSize(14);
    dictated->setBrush(Qt::NoBrush);
    dictated->setPen(QPen(KeyboardColours::FirstStep.darker(160), 2));
    double fastest = 10;
    for (const History::Record &record : std::as_const(records)) {
        const double when = static_cast<double>(record.start.toMSecsSinceEpoch());
        grades->append(when, record.grade);
        if (record.dictee)
            dictated->append(when, record.grade);
        speeds->append(when, record.speed());
        fastest = std::max(fastest, record.speed());
    }
    for (QLineSeries *line : {grades, speeds}) {
        line->setPointsVisible(true);
        chart->addSeries(line);
    }
    speeds->setPen(QPen(KeyboardColours::SecondStep, 2, Qt::DashLine));
    grades->setPen(QPen(KeyboardColours::FirstStep, 3));
    QDateTimeAxis *time = timeAxis(records);
    QValueAxis *grade = gradeAxis(records);
    QValueAxis *speed = speedAxis(fastest);
    chart->addAxis(time, Qt::AlignBottom);
    chart->addAxis(grade, Qt::AlignLeft);
    chart->addAxis(speed, Qt::AlignRight);
    grades->attachAxis(time);
    grades->attachAxis(grade);
    speeds->attachAxis(time);
    speeds->attachAxis(speed);
    if (dictated->count() > 0) {
        chart->addSeries(dictated);
        dictated->attachAxis(time);
        dictated->attachAxis(grade);
    } else {
        delete dictated;
    }
    chart->legend()->setAlignment(Qt::AlignBottom);
    // Without a series the axes would only repeat one date and meaningless numbers.
    if (records.isEmpty()) {
        for (QAbstractAxis *axis : chart->axes()) {
            axis->setLabelsVisible(false);
            axis->setTitleVisible(false);
        }
    }
    return chart;
}

QMap<QString, int> missedCharacters(const QList<History::Record> &records, bool dictationOnly)
{
    QMap<QString, int> missed;
    for (const History::Record &record : records) {
        if (dictationOnly && !record.dictee)
            continue;
        for (auto it = record.mistakesByCharacter.cbegin(); it != record.mistakesByCharacter.cend(); ++it)
            missed[it.key()] += it.value();
    }
    return missed;
}

HeatMapView::HeatMapView(QWidget *parent) : QWidget(parent)
{
    setMinimumSize(KeyCaps::PictureSize * 0.66);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

void HeatMapView::setKeys(const QMap<int, int> &keys)
{
    m_keys = keys;
    update();
}

void HeatMapView::paint(QPainter &painter, const QRectF &room) const
{
    const double scale =
        std::min(room.width() / KeyCaps::PictureSize.width(), room.height() / KeyCaps::PictureSize.height());
    painter.save();
    painter.translate(room.topLeft());
    painter.scale(scale, scale);
    drawHeatMap(painter, m_keys);
    painter.restore();
}

int HeatMapView::heightForWidth(int width) const
{
    return width * KeyCaps::PictureSize.height() / KeyCaps::PictureSize.width();
}

void HeatMapView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    paint(painter, rect());
}

namespace Exports {

void classTable(QWidget *parent, const QList<QStringList> &rows)
{
    const QString path = askPath(parent, QStringLiteral("Exporter le tableau de la classe"),
                                 QStringLiteral("classe.csv"), CsvFiles);
    if (path.isEmpty())
        return;
    if (const QString error =
            saveWholeFile(path, Csv::document(QList<QStringList>{ClassList::tableHeader()} + rows));
        !error.isEmpty())
        tell(parent, QStringLiteral("Le tableau n'a pas pu être enregistré : ") + error);
}

void history(QWidget *parent, const QString &eleve, const QList<History::Record> &records)
{
    if (eleve.isEmpty())
        return tell(parent, QStringLiteral("Choisissez d'abord un élève dans le tableau."));
    const QString path = askPath(parent, QStringLiteral("Exporter l'historique de %1").arg(eleve),
                                 eleve + QStringLiteral(".csv"), CsvFiles);
    if (path.isEmpty())
        return;
    QList<QStringList> rows = {History::csvHeader()};
    for (const History::Record &record : records)
        rows.append(History::csvFields(record));
    if (const QString error = saveWholeFile(path, Csv::document(rows)); !error.isEmpty())
        tell(parent, QStringLiteral("L'historique n'a pas pu être enregistré : ") + error);
}

void report(QWidget *parent, const Sheet &sheet)
{
    if (sheet.eleve.isEmpty())
        return tell(parent, QStringLiteral("Choisissez d'abord un élève dans le tableau."));
    const QString path =
        askPath(parent, QStringLiteral("Fiche PDF de %1").arg(sheet.eleve),
                sheet.eleve + QStringLiteral(".pdf"), QStringLiteral("Documents PDF (*.pdf)"));
    if (!path.isEmpty())
        writePdf(parent, path, QStringLiteral("Frappin - ") + sheet.eleve, QStringLiteral("La fiche PDF"),
                 [&sheet](QPainter &painter) { drawSheet(painter, sheet); });
}

void permis(QWidget *parent, const Permis &permis)
{
    const QString path = askPath(parent, QStringLiteral("Permis clavier de %1").arg(permis.eleve),
                                 QStringLiteral("Permis clavier %1.pdf").arg(permis.eleve),
                                 QStringLiteral("Documents PDF (*.pdf)"));
    if (!path.isEmpty())
        writePdf(parent, path, QStringLiteral("Permis clavier - ") + permis.name,
                 QStringLiteral("Le permis clavier"),
                 [&permis](QPainter &painter) { drawPermis(painter, permis); });
}

} // namespace Exports
