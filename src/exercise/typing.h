#pragma once

// The plain rules behind the typed-text check and the grade, kept apart from the window so that they can be
// checked on their own.

#include <QString>
#include <QStringView>

#include <optional>

// Offset (0-based) of the first typed character that differs from the word, or nothing when every typed
// character matches. A typed character beyond the end of the word always differs.
std::optional<qsizetype> firstWrongOffset(QStringView typed, QStringView word);

// The two keys of a letter made with a dead key: the dead key for the right hand, the base letter for the
// left hand. Only ê â î ô (with "^") and ë ä ï (with "¨") are made so; every other letter, capitals included,
// has a key of its own in the key table.
struct DeadKeyStrokes {
    QString deadKey;
    QString baseLetter;
};
std::optional<DeadKeyStrokes> deadKeyStrokes(QStringView letter);

// The grade out of 20: one point off for each whole 5 % of mistakes per character, with no lower bound.
qint64 gradeOutOf20(qint64 mistakes, qint64 characters);
