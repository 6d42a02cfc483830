#include "resultstab.h"

#include "companion.h"
#include "exports.h"

#include "history/history.h"
#include "keyboard/heatmap.h"
#include "keyboard/keytable.h"
#include "settings/store.h"
#include "words/lessonplace.h"
#include "words/lessons.h"

#include <QChartView>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

// The class table's column of the lesson (ClassList::tableHeader).
constexpr int LessonColumn = 6;

// The last series of the history, which a school's server shares between the classroom's computers;
// otherwise the results this computer's settings keep.
QString lastSeriesText(const QString &eleve, const QList<History::Record> &records)
{
    QString note = Store::read(Store::Frappin, eleve, Store::Note, QString());
    bool ok = false;
    double seconds =
        Store::read(Store::Frappin, eleve, Store::Duree, QString()).replace(u',', u'.').toDouble(&ok) *
        Store::SecondsPerDay;
    QString characters = Store::read(Store::Frappin, eleve, Store::NombreCaracteres, QStringLiteral("?"));
    QString level = Store::read(Store::Frappin, eleve, Store::Niveau, QStringLiteral("?"));
    bool dictated = false;
    if (!records.isEmpty()) {
        const History::Record &last = records.last();
        note = QString::number(last.grade);
        seconds = last.seconds;
        ok = true;
        characters = QString::number(last.characters);
        level = QString::number(last.level);
        dictated = last.dictee;
    }
    if (eleve.isEmpty() || note.isEmpty())
        return QStringLiteral("Dernière série : pas encore de série.");
    const qint64 whole = ok ? std::llround(seconds) : 0;
    return QStringLiteral("Dernière série : note %1/20, %2 min %3 s, %4 caractères, niveau %5%6.")
        .arg(note)
        .arg(whole / 60)
        .arg(whole % 60, 2, 10, QLatin1Char('0'))
        .arg(characters, level, dictated ? QStringLiteral(", en dictée") : QString());
}

} // namespace

ResultsTab::ResultsTab(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    // Series that wait on this computer, and why, above all: the teacher is the one who can act on them.
    m_waiting = new QLabel(this);
    m_waiting->setWordWrap(true);
    m_waiting->setStyleSheet(QStringLiteral("color: #8b0000"));
    m_waiting->hide();
    layout->addWidget(m_waiting);
    // The class table beside the pupil's panel, from the top of the window to its bottom: a class of
    // thirty is read without scrolling in a window of 768 pixels, and the panel scrolls instead.
    auto *splitter = new QSplitter(Qt::Horizontal, this);
    makeTable(splitter);
    makePanel(splitter);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({640, 520});
    layout->addWidget(splitter);
    connect(m_summaryTable, &QTableWidget::currentCellChanged, this, [this](int current) {
        if (current >= 0 && m_summaryTable->item(current, 0))
            showPupil(m_summaryTable->item(current, 0)->text());
    });
}

QWidget *ResultsTab::makeTable(QWidget *parent)
{
    auto *left = new QWidget(parent);
    auto *leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    m_summaryTable = new QTableWidget(0, static_cast<int>(ClassList::tableHeader().size()), left);
    m_summaryTable->setObjectName(QStringLiteral("tableauClasse"));
    // The titles on two lines, so that the columns fit beside the pupil's panel (the CSV file keeps
    // its own titles).
    m_summaryTable->setHorizontalHeaderLabels(ClassList::tableHeader().replaceInStrings(
        QRegularExpression(QStringLiteral("^(Dernière|Moyenne des) ")), QStringLiteral("\\1\n")));
    m_summaryTable->horizontalHeaderItem(4)->setToolTip(ClassList::trendRule());
    m_summaryTable->setToolTip(ClassList::trendRule());
    m_summaryTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_summaryTable->setSelectionMode(QAbstractItemView::SingleSelection);
    m_summaryTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_summaryTable->setWordWrap(false);
    m_summaryTable->verticalHeader()->hide();
    m_summaryTable->verticalHeader()->setDefaultSectionSize(m_summaryTable->fontMetrics().height() + 6);
    // The names are never cut; the lesson's title is, in its column, and read whole in its tooltip. Past the
    // width of its side, the table scrolls sideways.
    m_summaryTable->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_summaryTable->horizontalHeader()->setSectionResizeMode(LessonColumn, QHeaderView::Interactive);
    m_summaryTable->horizontalHeader()->setStretchLastSection(true);
    m_summaryTable->setColumnWidth(
        LessonColumn,
        m_summaryTable->fontMetrics().horizontalAdvance(QStringLiteral("3. rangée du milieu")) + 12);
    leftLayout->addWidget(m_summaryTable);
    auto *exportTableButton = new QPushButton(QStringLiteral("Exporter le &tableau (CSV)..."), left);
    auto *lessonButton = new QPushButton(QStringLiteral("Changer de &leçon..."), left);
    auto *row = new QHBoxLayout;
    row->addWidget(exportTableButton);
    row->addWidget(lessonButton);
    row->addStretch();
    leftLayout->addLayout(row);
    connect(exportTableButton, &QPushButton::clicked, this, &ResultsTab::exportTable);
    connect(lessonButton, &QPushButton::clicked, this, &ResultsTab::changeLesson);
    return left;
}

QWidget *ResultsTab::makePanel(QWidget *parent)
{
    auto *scroll = new QScrollArea(parent);
    scroll->setObjectName(QStringLiteral("panneauEleve"));
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto *panel = new QWidget;
    auto *layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 4, 0);
    m_pupilTitle = new QLabel(panel);
    QFont font = m_pupilTitle->font();
    font.setPointSize(14);
    font.setBold(true);
    m_pupilTitle->setFont(font);
    m_lastSeries = new QLabel(panel);
    m_lastSeries->setWordWrap(true);
    layout->addWidget(m_pupilTitle);
    layout->addWidget(m_lastSeries);
    m_chart = new QChartView(panel);
    m_chart->setRenderHint(QPainter::Antialiasing);
    m_chart->setMinimumSize(360, 340);
    layout->addWidget(m_chart);
    m_heatMap = new HeatMapView(panel);
    // Dictation is where spelling faults show (é for er, s for z): their keys apart from the typing ones.
    auto *missedRow = new QHBoxLayout;
    auto *missedLabel = new QLabel(QStringLiteral("Les touches les plus manquées. Fa&utes :"), panel);
    m_missedIn = new QComboBox(panel);
    m_missedIn->setObjectName(QStringLiteral("fautesDe"));
    m_missedIn->addItems({QStringLiteral("toutes les séries"), QStringLiteral("dictées seulement")});
    missedLabel->setBuddy(m_missedIn);
    missedRow->addWidget(missedLabel);
    missedRow->addWidget(m_missedIn);
    missedRow->addStretch();
    layout->addLayout(missedRow);
    layout->addWidget(m_heatMap);
    connect(m_missedIn, &QComboBox::currentIndexChanged, this, &ResultsTab::showMissedKeys);
    auto *exports = new QHBoxLayout;
    auto *historyButton = new QPushButton(QStringLiteral("Exporter l'&historique (CSV)..."), panel);
    auto *reportButton = new QPushButton(QStringLiteral("&Fiche PDF de l'élève..."), panel);
    m_permisButton = new QPushButton(QStringLiteral("&Permis clavier (PDF)..."), panel);
    m_permisButton->setToolTip(QStringLiteral("Le certificat d'un élève qui a réussi la dernière leçon."));
    // Two rows of buttons, so that the panel leaves the class table the room of its lessons.
    auto *moreExports = new QHBoxLayout;
    exports->addWidget(historyButton);
    exports->addWidget(reportButton);
    moreExports->addWidget(m_permisButton);
    // On the school's server only: a series the teacher does not trust is hidden, never deleted.
    auto *hideButton = new QPushButton(QStringLiteral("&Masquer une série..."), panel);
    hideButton->setVisible(
        !Store::read(Store::Configuration, Store::Resultats, Store::ServiceEnseignant, QString()).isEmpty());
    moreExports->addWidget(hideButton);
    exports->addStretch();
    moreExports->addStretch();
    layout->addLayout(exports);
    layout->addLayout(moreExports);
    layout->addStretch();
    scroll->setWidget(panel);
    connect(historyButton, &QPushButton::clicked, this,
            [this] { Exports::history(this, m_shownPupil, m_shownRecords); });
    connect(reportButton, &QPushButton::clicked, this, [this] {
        Exports::report(this, {m_shownPupil, m_shownRecords, m_lastSeries->text(), m_chart, m_heatMap,
                               m_missedIn->currentIndex() == 1});
    });
    connect(m_permisButton, &QPushButton::clicked, this, &ResultsTab::exportPermis);
    connect(hideButton, &QPushButton::clicked, this, &ResultsTab::hideSeries);
    return scroll;
}

void ResultsTab::refresh(const QList<ClassPupil> &pupils)
{
    m_pupils = pupils;
    m_waiting->setText(History::waiting());
    m_waiting->setVisible(!m_waiting->text().isEmpty());
    QString error;
    const QList<History::Record> all = History::records(QString(), &error);
    if (!error.isEmpty())
        tell(this, error);
    // The series are read once, here: showing a pupil then takes their series from memory, where reading
    // them again from a school's server cost a connection each time.
    m_byPupil.clear();
    QStringList names;
    for (const ClassPupil &pupil : pupils)
        names.append(pupil.eleve);
    for (const History::Record &record : all) {
        if (!m_byPupil.contains(record.pupil) && !names.contains(record.pupil))
            names.append(record.pupil);
        m_byPupil[record.pupil].append(record);
    }
    // The keys the pupils miss are found in the key table Frappin uses, from beside it.
    m_lastKey = -1;
    loadKeyTable(QDir(frappinFolder()).filePath(KeyboardFileName), m_keyTable, m_lastKey);
    m_lessons = Lessons::inFolder(frappinFolder());
    QSignalBlocker blocker(m_summaryTable);
    m_summaryTable->setRowCount(static_cast<int>(names.size()));
    int keepRow = names.isEmpty() ? -1 : 0;
    for (int r = 0; r < names.size(); ++r) {
        ClassList::Summary summary = ClassList::summarise(names[r], m_byPupil.value(names[r]));
        const LessonPlace::Place place = LessonPlace::of(names[r], m_lessons);
        summary.lesson = LessonPlace::lessonText(place);
        summary.permis = LessonPlace::permisText(place);
        const QStringList fields = ClassList::tableFields(summary);
        for (int c = 0; c < fields.size(); ++c) {
            auto *item = new QTableWidgetItem(fields[c]);
            if (c == LessonColumn)
                item->setToolTip(fields[c]);
            m_summaryTable->setItem(r, c, item);
        }
        if (names[r] == m_shownPupil)
            keepRow = r;
    }
    if (keepRow >= 0)
        m_summaryTable->selectRow(keepRow);
    showPupil(keepRow >= 0 ? names[keepRow] : QString());
}

void ResultsTab::showPupil(const QString &eleve)
{
    m_shownPupil = eleve;
    m_shownRecords = m_byPupil.value(eleve);
    m_pupilTitle->setText(eleve.isEmpty() ? QStringLiteral("Aucun élève") : eleve);
    m_lastSeries->setText(lastSeriesText(eleve, m_shownRecords));
    m_permisButton->setEnabled(!eleve.isEmpty() && !LessonPlace::of(eleve, m_lessons).permis.isEmpty());
    QChart *old = m_chart->chart();
    m_chart->setChart(progressChart(m_shownRecords));
    delete old;
    showMissedKeys();
}

void ResultsTab::showMissedKeys()
{
    m_heatMap->setKeys(mistakesByKey(missedCharacters(m_shownRecords, m_missedIn->currentIndex() == 1),
                                     m_keyTable, m_lastKey));
}

void ResultsTab::exportTable()
{
    QList<QStringList> rows;
    for (int r = 0; r < m_summaryTable->rowCount(); ++r) {
        QStringList fields;
        for (int c = 0; c < m_summaryTable->columnCount(); ++c)
            fields.append(m_summaryTable->item(r, c) ? m_summaryTable->item(r, c)->text() : QString());
        rows.append(fields);
    }
    Exports::classTable(this, rows);
}

void ResultsTab::changeLesson()
{
    if (m_shownPupil.isEmpty())
        return tell(this, QStringLiteral("Choisissez d'abord un élève dans le tableau."));
    if (m_lessons.isEmpty())
        return tell(this, QStringLiteral("Il n'y a pas de leçon : ce sont les listes de mots dont le nom "
                                         "commence par 01 à 19, dans le dossier de Frappin (%1).")
                              .arg(QDir::toNativeSeparators(frappinFolder())));
    QStringList choices;
    for (const QString &lesson : std::as_const(m_lessons))
        choices.append(LessonPlace::lessonText({lesson, int(choices.size()) + 1}));
    bool chosen = false;
    const int now = LessonPlace::of(m_shownPupil, m_lessons).number;
    const QString choice = QInputDialog::getItem(
        this, CompanionTitle,
        QStringLiteral("La leçon de %1 (ses séries réussies sur sa leçon repartent de zéro) :")
            .arg(m_shownPupil),
        choices, std::max(now - 1, 0), false, &chosen);
    if (!chosen)
        return;
    QString error;
    if (!moveToLesson(m_shownPupil, m_lessons.value(choices.indexOf(choice)), &error))
        tell(this, QStringLiteral("La leçon de %1 n'a pas pu être changée : %2").arg(m_shownPupil, error));
    else if (!error.isEmpty())
        tell(this, error + QStringLiteral(
                               " Elle n'est changée que sur ce poste, et le serveur la remettra quand il "
                               "répondra : refaites le changement quand le serveur sera joignable."));
    refresh(m_pupils);
}

void ResultsTab::exportPermis()
{
    QString name = m_shownPupil;
    for (const ClassPupil &pupil : std::as_const(m_pupils)) {
        if (pupil.eleve == m_shownPupil)
            name = pupil.prenom + u' ' + pupil.nom;
    }
    const QString earned = LessonPlace::of(m_shownPupil, m_lessons).permis;
    Exports::Permis permis{m_shownPupil, name, QDate::fromString(earned, Qt::ISODate), {}, {}, 0};
    if (!permis.day.isValid())
        permis.day = QDate::currentDate();
    for (const QString &lesson : std::as_const(m_lessons))
        permis.lessons.append(Lessons::title(lesson));
    for (const History::Record &record : std::as_const(m_shownRecords)) {
        permis.bestGrade = std::max(permis.bestGrade.value_or(record.grade), record.grade);
        permis.bestSpeed = std::max(permis.bestSpeed, record.speed());
    }
    Exports::permis(this, permis);
}

void ResultsTab::hideSeries()
{
    // Newest first, with where each came from, so that a series typed elsewhere stands out.
    QStringList choices;
    for (auto it = m_shownRecords.crbegin(); it != m_shownRecords.crend(); ++it)
        choices.append(QStringLiteral("%1. %2 : note %3/20, %4 caractères, %5 car./min, poste %6")
                           .arg(choices.size() + 1)
                           .arg(History::csvFields(*it).first())
                           .arg(it->grade)
                           .arg(it->characters)
                           .arg(std::llround(it->speed()))
                           .arg(it->computer.isEmpty() ? QStringLiteral("?") : it->computer));
    if (choices.isEmpty())
        return tell(this, QStringLiteral("Cet élève n'a pas de série à masquer."));
    bool chosen = false;
    const QString choice = QInputDialog::getItem(
        this, CompanionTitle,
        QStringLiteral("La série de %1 à masquer (elle reste sur le serveur, marquée) :").arg(m_shownPupil),
        choices, 0, false, &chosen);
    if (!chosen)
        return;
    const History::Record &record = m_shownRecords[m_shownRecords.size() - 1 - choices.indexOf(choice)];
    if (const QString error = History::hide(record.uuid); !error.isEmpty())
        return tell(this, error);
    refresh(m_pupils);
}
