#pragma once

// The path in the exercise window: which list a series draws from, how its words are drawn, and what the
// child sees of it.
//
// With the path off ("Parcours" not "1") nothing here changes the window: the list chosen in the settings is
// drawn from as before, one uniform draw per word. With it on, startSeries loads the pupil's current lesson
// (read fresh at each series, as the teacher or "À qui le tour ?" may have changed the pupil or the lesson),
// finds the keys the pupil missed most lately, and shows where the pupil is on the path along the top of the
// window: a row of stones, one per lesson (a star for each lesson passed, the pupil's own stone bigger, a
// flag for the "permis clavier" at the end) and "Leçon 3 sur 10 : rangée du bas"; under the keyboard, "On
// s'entraîne sur : k m".
// endSeries applies the passing rule (words/path.h) and gives what to store with the series' results; the
// news ("Bravo ! Tu passes à la leçon 4.") shows where the word was, and is said with the grade.
//
// A series with the path on and no pupil named draws from the first lesson; nothing is stored, as for every
// result of such a series.

#include "common/platform.h"
#include "words/path.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <utility>

class QLabel;

class PathPanel : public QWidget {
    Q_OBJECT
public:
    // The strip along the top of the client area, the news in the place of the word box (hidden with the
    // grade), and the keys practised under the keyboard. They sit over no control of the window.
    explicit PathPanel(QWidget *client);

    // Chooses and loads the list of the series about to start into the program's word list, for the pupil
    // named now; true when the loaded list changed (the typable entries must then be found again).
    bool startSeries();
    // The entry to draw, as a position in typable (the entries of the loaded list that can be typed).
    int draw(const QList<int> &typable) const;
    // The file the running series draws from, for messages.
    QString listPath() const;
    // The list the history records for the series: the lesson, or empty with the path off.
    const QString &seriesList() const { return m_lesson; }

    // The pupil's place after the series of grade, shown at once; the values to store with the results (none
    // with the path off or no pupil named).
    QList<std::pair<QString, QString>> endSeries(const QString &pupil, int grade);
    // The lesson after the series, for the history (empty with the path off).
    const QString &lessonAfter() const { return m_after; }
    // The news of the series, said after the grade; empty when there is none.
    const QString &cheer() const { return m_spoken; }
    // Once the series is kept: the lesson the pupil moved on to is loaded when the window is idle, so that
    // the next series starts as fast as any.
    void prepareNextSeries();

Q_SIGNALS:
    // The program's word list was loaded with a lesson while no series ran.
    void wordsChanged();

protected:
    void showEvent(QShowEvent *event) override;

private:
    struct Reading {
        bool on = false;
        QString pupil; // trimmed
        int toReach = 18;
        Path::Place place;
    };
    // The teacher's path settings and the place of pupil (empty: of the pupil named now). The only place
    // where the window reads a pupil's stored lesson.
    Reading readSettings(const QString &pupil = QString()) const;
    static Path::Place storedPlace(const QString &pupil);
    // The place from its three stored values (Leçon, Réussies, Permis), from stored[first] on.
    static Path::Place placeOf(const QStringList &stored, int first = 0);
    // The lessons of the program's folder, listed again when the folder changed.
    const QStringList &lessons();
    // Whether the program's word list still holds lesson as loaded for the last series.
    bool lessonLoaded(const QString &lesson) const;
    // Loads lesson as the program's word list unless it is loaded; true when it was loaded now.
    bool load(const QString &lesson);
    // The same once the window is idle, unless a series started meanwhile.
    void loadLater(const QString &lesson);
    void showPlace(const QStringList &lessons, const QString &lesson, const QString &permis);
    // The pupil's mistakes in their last series, from the history; kept from one series to the next and
    // read again once the window is idle after a series, so that neither the end nor the start of a series
    // waits for the database.
    const QMap<QString, int> &missedLately(const QString &pupil);
    void readMissedLater(const QString &pupil);

    class Stones;
    Stones *m_stones = nullptr;
    QLabel *m_where = nullptr;
    QLabel *m_keys = nullptr;
    QLabel *m_news = nullptr;
    QString m_lesson;      // the lesson loaded for the running or last series; empty with the path off
    QStringList m_entries; // its entries as loaded
    QStringList m_words;   // and their words, for the weak keys
    FileStamp m_lessonStamp;
    QString m_pupil; // the pupil of the last series
    QStringList m_lessons;
    FileStamp m_folderStamp;
    QString m_shownLesson; // the lesson the strip shows, with the stones' place; empty: the strip is hidden
    QString m_after;
    QString m_toLoad; // the lesson to load once the window is idle
    QString m_spoken;
    QStringList m_weakKeys;
    QString m_missedPupil; // whose mistakes m_missed holds; empty: none read
    QMap<QString, int> m_missed;
};
