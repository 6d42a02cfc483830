#include "exercise/pathpanel.h"

#include "common/controlname.h"
#include "common/platform.h"
#include "common/text.h"
#include "common/values.h"
#include "history/history.h"
#include "settings/store.h"
#include "words/lessons.h"
#include "words/wordlist.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>

#include <cmath>

namespace {

// Where the path shows, in the client area's pixels: a strip right of the logo and above the word box, the
// news where the word box was (the grade hides it), and the keys practised under the keyboard, left of where
// the Caps Lock hint shows.
constexpr QRect StripArea{148, 2, 490, 22};
constexpr QRect NewsArea{150, 28, 336, 25};
constexpr QRect KeysArea{10, 394, 215, 19};

QFont boldFont(const QFont &base, int pixels)
{
    QFont font = base;
    font.setPixelSize(pixels);
    font.setBold(true);
    return font;
}

void colour(QWidget *widget, const QColor &text)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, text);
    widget->setPalette(palette);
}

} // namespace

// The lessons as stones along a path: a gold star for each lesson passed, the pupil's own stone bigger and
// blue, the stones to come grey, and a flag at the end for the permis (gold once earned).
class PathPanel::Stones : public QWidget {
public:
    using QWidget::QWidget;
    static constexpr int Pitch = 13;

    // Whether the stones were already at that place: the next series of a lesson draws nothing new.
    bool setPlace(int lessons, int current, bool permis)
    {
        if (lessons == m_lessons && current == m_current && permis == m_permis)
            return true;
        m_lessons = lessons;
        m_current = current;
        m_permis = permis;
        setFixedSize(m_lessons * Pitch + 16, StripArea.height());
        const int passed = permis ? lessons : current - 1;
        setAccessibleName(QStringLiteral("Chemin des leçons : %1 réussie%2 sur %3%4")
                              .arg(passed)
                              .arg(passed > 1 ? QStringLiteral("s") : QString())
                              .arg(lessons)
                              .arg(permis ? QStringLiteral(", permis clavier gagné")
                                          : QStringLiteral(", tu es à la leçon %1").arg(current)));
        update();
        return false;
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const double middle = height() / 2.0;
        // The path itself, under the stones.
        p.setPen(QPen(QColor(0xc8, 0xb0, 0x8a), 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(Pitch / 2.0, middle), QPointF(m_lessons * Pitch + 8, middle));
        for (int i = 1; i <= m_lessons; ++i) {
            const QPointF centre((i - 0.5) * Pitch, middle);
            if (m_permis || i < m_current)
                drawStar(p, centre, 6.5);
            else if (i == m_current)
                drawStone(p, centre, 6, QColor(0x1e, 0x6f, 0xd9), QColor(0x0b, 0x3d, 0x80));
            else
                drawStone(p, centre, 4, QColor(0xd0, 0xd0, 0xd0), QColor(0x80, 0x80, 0x80));
        }
        drawFlag(p, QPointF(m_lessons * Pitch + 4, middle));
    }

private:
    static void drawStone(QPainter &p, QPointF centre, double radius, const QColor &fill, const QColor &edge)
    {
        p.setPen(QPen(edge, 1.2));
        p.setBrush(fill);
        p.drawEllipse(centre, radius, radius);
    }

    static void drawStar(QPainter &p, QPointF centre, double radius)
    {
        QPainterPath star;
        for (int k = 0; k < 10; ++k) {
            const double r = k % 2 ? radius * 0.45 : radius;
            const double angle = -M_PI / 2 + k * M_PI / 5;
            const QPointF point = centre + QPointF(r * std::cos(angle), r * std::sin(angle));
            k ? star.lineTo(point) : star.moveTo(point);
        }
        star.closeSubpath();
        p.setPen(QPen(QColor(0xb8, 0x86, 0x0b), 1));
        p.setBrush(QColor(0xff, 0xc8, 0x1e));
        p.drawPath(star);
    }

    void drawFlag(QPainter &p, QPointF foot) const
    {
        const QPointF top = foot + QPointF(0, -9);
        p.setPen(QPen(QColor(0x55, 0x40, 0x20), 1.5));
        p.drawLine(foot + QPointF(0, 8), top);
        QPainterPath cloth;
        cloth.moveTo(top);
        cloth.lineTo(top + QPointF(9, 3.5));
        cloth.lineTo(top + QPointF(0, 7));
        cloth.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(m_permis ? QColor(0xff, 0xc8, 0x1e) : QColor(0xe0, 0x40, 0x40));
        p.drawPath(cloth);
    }

    int m_lessons = 0;
    int m_current = 0;
    bool m_permis = false;
};

PathPanel::PathPanel(QWidget *client) : QWidget(client)
{
    setObjectName(QStringLiteral("Parcours"));
    setGeometry(StripArea);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    setAccessibleName(QStringLiteral("Parcours"));
    m_stones = named(new Stones(this), "CheminLecons", QStringLiteral("Chemin des leçons"));
    m_where = named(new QLabel(this), "Lecon", QStringLiteral("Leçon"));
    m_where->setFont(boldFont(font(), 14));
    colour(m_where, QColor(0x0b, 0x3d, 0x80));
    m_keys = named(new QLabel(client), "Entrainement", QStringLiteral("On s'entraîne sur"));
    m_keys->setGeometry(KeysArea);
    m_keys->setFont(boldFont(font(), 14));
    colour(m_keys, QColor(0x8b, 0x3a, 0x00));
    row->addWidget(m_stones);
    row->addWidget(m_where);
    row->addStretch();
    for (QWidget *part :
         {static_cast<QWidget *>(m_stones), static_cast<QWidget *>(m_where), static_cast<QWidget *>(m_keys)})
        part->hide();

    m_news = named(new QLabel(client), "Nouvelle", QStringLiteral("Nouvelle du parcours"));
    m_news->setGeometry(NewsArea);
    m_news->setAlignment(Qt::AlignCenter);
    m_news->setFont(boldFont(font(), 16));
    colour(m_news, QColor(0x1a, 0x7a, 0x2e));
    m_news->hide();
}

Path::Place PathPanel::storedPlace(const QString &pupil)
{
    const QString section = trimBlanks(pupil);
    if (section.isEmpty())
        return {};
    return placeOf(Store::read(
        Store::Frappin, {{section, Store::Lecon}, {section, Store::Reussies}, {section, Store::Permis}}));
}

Path::Place PathPanel::placeOf(const QStringList &stored, int first)
{
    return {stored.at(first), stored.at(first + 1).trimmed().toInt(), stored.at(first + 2)};
}

// A file of 10,000 pupils is read whole at each reading: the teacher's settings and the place of the pupil
// are read together, the pupil guessed to be the one of the last series (the usual case) and read again only
// when another was named meanwhile.
PathPanel::Reading PathPanel::readSettings(const QString &pupil) const
{
    const QString guess = trimBlanks(pupil.isEmpty() ? m_pupil : pupil);
    const QStringList stored = Store::read(Store::Frappin, {{Store::Demarrage, Store::Parcours},
                                                            {Store::Demarrage, Store::Derniere},
                                                            {Store::Demarrage, Store::NotePourPasser},
                                                            {guess, Store::Lecon},
                                                            {guess, Store::Reussies},
                                                            {guess, Store::Permis}});
    Reading reading;
    reading.on = Store::isOn(stored.at(0));
    reading.pupil = pupil.isEmpty() ? trimBlanks(stored.at(1)) : guess;
    reading.toReach = Path::gradeToReach(stored.at(2));
    if (reading.pupil.isEmpty())
        return reading;
    reading.place = reading.pupil == guess ? placeOf(stored, 3) : storedPlace(reading.pupil);
    // The school's server knows where the pupil got to on another computer, or where the teacher moved them;
    // the series in a row stay with the computer that made them.
    if (const QString there = History::serverLesson(reading.pupil);
        !there.isEmpty() && there != reading.place.lesson)
        reading.place = {there, 0, reading.place.permis};
    return reading;
}

const QStringList &PathPanel::lessons()
{
    // A lesson added, removed or renamed changes the folder's time.
    // A folder never seen has the empty stamp, as one that cannot be reached, which holds no lesson either.
    const FileStamp changed = fileStamp(programFolder());
    if (changed != m_folderStamp) {
        m_lessons = Lessons::inFolder();
        m_folderStamp = changed;
    }
    return m_lessons;
}

bool PathPanel::lessonLoaded(const QString &lesson) const
{
    // The window may have loaded the list of the settings meanwhile, or the teacher edited the lesson.
    const ProgramValues &v = values();
    if (lesson != m_lesson || v.NbPhrases != m_entries.size() ||
        fileStamp(programFile(lesson)) != m_lessonStamp)
        return false;
    for (int i = 0; i < v.NbPhrases; ++i) {
        if (v.Phrases[static_cast<std::size_t>(i)] != m_entries.at(i))
            return false;
    }
    return true;
}

bool PathPanel::load(const QString &lesson)
{
    if (lessonLoaded(lesson))
        return false;
    ProgramValues &v = values();
    m_lesson = lesson;
    m_lessonStamp = fileStamp(programFile(lesson));
    if (!loadWordList(programFile(lesson), v.Phrases, v.NbPhrases))
        v.NbPhrases = 0;
    m_entries = QStringList(v.Phrases.begin(), v.Phrases.begin() + v.NbPhrases);
    m_words.clear();
    for (const QString &entry : std::as_const(m_entries))
        m_words.append(wordOfEntry(entry));
    return true;
}

void PathPanel::loadLater(const QString &lesson)
{
    m_toLoad = lesson;
    QTimer::singleShot(0, this, [this, lesson] {
        // A series started meanwhile loaded its own list.
        if (m_toLoad == lesson && load(lesson))
            Q_EMIT wordsChanged();
    });
}

void PathPanel::prepareNextSeries()
{
    if (!m_after.isEmpty() && m_after != m_lesson)
        loadLater(m_after);
}

void PathPanel::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Before the first series the child already sees where they are.
    if (m_lesson.isEmpty()) {
        const Reading reading = readSettings();
        if (!reading.on)
            return;
        m_pupil = reading.pupil;
        const QStringList &all = lessons();
        const QString lesson = Lessons::current(all, reading.place.lesson);
        showPlace(all, lesson, reading.place.permis);
        readMissedLater(m_pupil);
        if (!lesson.isEmpty())
            loadLater(lesson);
    }
}

const QMap<QString, int> &PathPanel::missedLately(const QString &pupil)
{
    if (m_missedPupil != pupil) {
        m_missed = History::recentMistakes(pupil, Path::SeriesForWeakKeys);
        m_missedPupil = pupil;
    }
    return m_missed;
}

void PathPanel::readMissedLater(const QString &pupil)
{
    m_missedPupil.clear();
    if (!trimBlanks(pupil).isEmpty())
        QTimer::singleShot(0, this, [this, pupil = trimBlanks(pupil)] { missedLately(pupil); });
}

bool PathPanel::startSeries()
{
    m_news->hide();
    m_toLoad.clear();
    m_after.clear();
    m_spoken.clear();
    m_weakKeys.clear();
    const Reading reading = readSettings();
    m_pupil = reading.pupil;
    const QStringList &all = reading.on ? lessons() : m_lessons;
    const QString lesson = reading.on ? Lessons::current(all, reading.place.lesson) : QString();
    if (lesson.isEmpty()) {
        for (QWidget *part : {static_cast<QWidget *>(m_stones), static_cast<QWidget *>(m_where),
                              static_cast<QWidget *>(m_keys)})
            part->hide();
        m_shownLesson.clear();
        // Back from the path: the list of the settings again.
        if (m_lesson.isEmpty())
            return false;
        m_lesson.clear();
        ProgramValues &v = values();
        if (!loadWordList(wordListPath(), v.Phrases, v.NbPhrases))
            v.NbPhrases = 0;
        return true;
    }
    // Loaded again when it changed: the teacher may have just edited it. A lesson that cannot be read leaves
    // nothing to draw, which the window tells.
    const bool changed = load(lesson);
    if (!m_pupil.isEmpty())
        m_weakKeys = Path::weakKeys(missedLately(m_pupil), m_words);
    showPlace(all, lesson, reading.place.permis);
    m_keys->setText(QStringLiteral("On s'entraîne sur : ") + m_weakKeys.join(u' '));
    m_keys->setAccessibleName(m_keys->text());
    m_keys->setVisible(!m_weakKeys.isEmpty());
    return changed;
}

int PathPanel::draw(const QList<int> &typable) const
{
    // Weak keys are found only for a lesson loaded, whose words m_words holds.
    QList<int> weak;
    if (!m_weakKeys.isEmpty()) {
        QStringList words;
        for (const int entry : typable)
            words.append(m_words.value(entry));
        weak = Path::wordsHolding(words, m_weakKeys);
    }
    return Path::draw(static_cast<int>(typable.size()), weak, nextRandom);
}

QString PathPanel::listPath() const
{
    return m_lesson.isEmpty() ? wordListPath() : programFile(m_lesson);
}

QList<std::pair<QString, QString>> PathPanel::endSeries(const QString &pupil, int grade)
{
    m_after.clear();
    m_spoken.clear();
    if (m_lesson.isEmpty() || trimBlanks(pupil).isEmpty())
        return {};
    const Reading reading = readSettings(pupil);
    const QStringList &lessons = this->lessons();
    const Path::Step step =
        Path::afterSeries(lessons, reading.place, m_lesson, grade, reading.toReach, currentDateTime().date());
    m_after = step.place.lesson;
    // The series is in the history by the time the window is idle again.
    readMissedLater(pupil);
    showPlace(lessons, step.place.lesson, step.place.permis);
    // The keys practised were those of the lesson left.
    if (step.place.lesson != m_lesson)
        m_keys->hide();

    QString news;
    if (step.permisEarned)
        news = QStringLiteral("Bravo ! Tu as gagné ton permis clavier !");
    else if (step.passed && step.place.lesson != m_lesson)
        news = QStringLiteral("Bravo ! Tu passes à la leçon %1.")
                   .arg(Lessons::number(lessons, step.place.lesson));
    else if (step.passed)
        news = QStringLiteral("Bravo ! Tu as encore réussi la dernière leçon.");
    else if (step.place.inARow > 0 && step.place.lesson == m_lesson)
        news = QStringLiteral("Encore une comme ça et tu passes !");
    m_news->setText(news);
    m_news->setAccessibleName(news);
    m_news->setVisible(!news.isEmpty());
    if (step.passed)
        m_spoken = news;

    QList<std::pair<QString, QString>> results{{Store::Lecon, step.place.lesson},
                                               {Store::Reussies, QString::number(step.place.inARow)}};
    if (!step.place.permis.isEmpty())
        results.append({Store::Permis, step.place.permis});
    return results;
}

void PathPanel::showPlace(const QStringList &lessons, const QString &lesson, const QString &permis)
{
    const int number = Lessons::number(lessons, lesson);
    if (number == 0)
        return;
    // The next series of the same lesson: the strip already shows it, as the end of the last series left it.
    const bool same = m_stones->setPlace(static_cast<int>(lessons.size()), number, !permis.isEmpty());
    if (same && lesson == m_shownLesson)
        return;
    m_shownLesson = lesson;
    m_where->setText(
        QStringLiteral("Leçon %1 sur %2 : %3").arg(number).arg(lessons.size()).arg(Lessons::title(lesson)));
    m_where->setAccessibleName(m_where->text());
    m_stones->show();
    m_where->show();
}
