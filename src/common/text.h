#pragma once

// Small text helpers shared by every subsystem. Character positions are 1-based, as the algorithms that use
// them count; a position outside the text gives the empty text.

#include <QString>
#include <QStringView>

// The text without the blanks (spaces) at both ends; other white space is kept.
QString trimBlanks(QStringView text);

// Character n (1-based) of text as a one-character text, or the empty text past either end.
QString charAt(QStringView text, qsizetype n);
