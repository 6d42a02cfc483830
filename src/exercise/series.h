#pragma once

// The rules of a series of words, apart from the window: its counters, the check of one typed text, a word
// done, the end of the series with what is stored, and the grade. The window (frmmain_series.cpp,
// frmmain_check.cpp) applies what these return to its controls.

#include "keyboard/guide.h"

#include <QDateTime>
#include <QLocale>
#include <QMap>
#include <QString>
#include <QStringView>

#include <optional>

// "Bravo !" stays this long before the next word.
inline constexpr int PauseMilliseconds = 2000;

// Offset (0-based) of the first typed character that differs from the word, or nothing when every typed
// character matches. A typed character beyond the end of the word always differs.
std::optional<qsizetype> firstWrongOffset(QStringView typed, QStringView word);

// The grade out of 20: one point off for each whole 5 % of mistakes per character, with no lower bound.
qint64 gradeOutOf20(qint64 mistakes, qint64 characters);

// What the check of one typed text found.
struct TypedCheck {
    std::optional<qsizetype> wrongFrom; // the first wrong character: selected to the end of the word
    bool completed = false;             // the typed text is the word: "Bravo !" and the pause
};

// The results of a series as the pupil's section of the store keeps them.
struct SeriesResults {
    QString note;        // the grade out of 20
    QString duree;       // the time taken, in days, in the number form of the user's locale
    QString caracteres;  // characters of the words completed
    QString niveau;      // the guide level plus one
    bool dictee = false; // the words were said, not shown (not kept in the store; for the history)
};

class Series {
public:
    // Starts a series of length words at a guide level.
    void start(int length, GuideLevel level, const QDateTime &now);
    // A word is drawn: its mistakes are counted afresh.
    void newWord() { FautesMot = 0; }
    // Checks a change of the typed text against the word: one wrong change, one mistake; a completed word
    // adds its mistakes to the series'. Nothing is checked once a series has ended.
    std::optional<TypedCheck> check(QStringView typed, QStringView word);
    // The pause after a completed word is over: the word is counted. Returns true when it was the last one;
    // the time of the series is then taken.
    bool wordDone(qsizetype wordLength, const QDateTime &now);
    qint64 grade() const { return gradeOutOf20(FautesSerie, NbCaracteres); }
    SeriesResults results(const QLocale &locale) const;

    // The state of the series, under the program's own names.
    qint16 EnCours = 0;      // 1 once a series is started, until the settings dialog abandons it
    double MotsRestants = 0; // words still to complete; 0 once a series has ended
    qint64 FautesMot = 0;    // mistakes in the current word
    qint64 FautesSerie = 0;  // mistakes over the series
    qint64 NbCaracteres = 0; // characters of the words completed in the series
    GuideLevel NiveauGuide;  // the teacher's level when the series started
    QDateTime HeureDebut;    // start of the series
    double DureeSerie = 0;   // time the last series took, in days
    // The words were said and not shown: set by the window, which knows whether speech was heard.
    bool Dictee = false;
    // Mistakes over the series by the character that was expected; a character typed past the end of the
    // word expected none and is counted in FautesSerie only.
    QMap<QString, int> FautesParCaractere;
};
