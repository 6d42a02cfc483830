#pragma once

// The tables loaded at start-up and shared for the whole run: the word list (its loader and the load step)
// and the key table (its loader and the hand guide), and the fields of the last line split by ExpandWord.
// They live in one instance and start empty. Tests call resetValues() to start each case afresh.

#include <QString>

#include <array>

inline constexpr int MaxListEntries = 1025; // Phrases and ToucheCaractere: indexes 0 to 1024
inline constexpr int MaxFields = 33;        // Champs: indexes 0 to 32

using TextTable = std::array<QString, MaxListEntries>;
using FieldTable = std::array<QString, MaxFields>;

struct ProgramValues {
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
