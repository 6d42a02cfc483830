#pragma once

// Values shared by the main window and the dialogs for the whole run.
//
// They live in one instance, start empty (0, the empty text) like the rest of the program's state, and are
// read and written by the procedures of the windows directly: the exercise counters by the series and the
// typed-text check, the word list by its loader and the load step, the key table by its loader and the hand
// guide. Tests call resetValues() to start each case from a freshly started program.

#include <QDateTime>
#include <QString>

#include <array>

inline constexpr int MaxListEntries = 1025; // Phrases and ToucheCaractere: indexes 0 to 1024
inline constexpr int MaxFields = 33;        // Champs: indexes 0 to 32

using TextTable = std::array<QString, MaxListEntries>;
using FieldTable = std::array<QString, MaxFields>;

struct ProgramValues {
    // The running series.
    qint16 EnCours = 0;      // 1 once a series is started, until the settings dialog abandons it
    double MotsRestants = 0; // words still to complete; 0 once a series has ended
    qint64 FautesMot = 0;    // mistakes in the current word
    qint64 FautesSerie = 0;  // mistakes over the series
    qint64 NbCaracteres = 0; // characters of the words completed in the series
    QString NiveauGuide;     // "0", "1" or "2", compared by numeric value
    QDateTime HeureDebut;    // start of the series
    double DureeSerie = 0;   // time the last series took, in days
    int IndiceMot = 0;       // position of the current word in Phrases

    // The word list as loaded.
    TextTable Phrases;
    qint16 NbPhrases = 0;

    // The key table: the character of each key marker, and the index of the last entry loaded.
    TextTable ToucheCaractere;
    qint16 DerniereTouche = 0;

    // Fields of the last line split by ExpandWord.
    FieldTable Champs;
};

ProgramValues &values();
void resetValues();
