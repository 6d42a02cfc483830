#pragma once

// The key table: which key marker of the on-screen keyboard gives which character.
//
// It is read once at start-up from "clavier.dat" in the program's folder. Every line that does not start
// with "#" is one entry, in the order of the key markers (the n-th data line belongs to marker n); field 1 of
// the line (fields split by ExpandWord) is the character of the key. A line that cannot be split, or a
// 1026th data line, ends the reading as the end of the file does.

#include "common/values.h"

#include <QString>
#include <QStringView>

inline const QString KeyboardFileName = QStringLiteral("clavier.dat");

// Loads path into table and sets last to the index of the last entry loaded (-1 for none). Returns false,
// leaving both unchanged, when the file cannot be opened.
bool loadKeyTable(const QString &path, TextTable &table, qint16 &last);
// The same from the decoded content of a file.
void parseKeyTable(QStringView content, TextTable &table, qint16 &last);

// Loads the program's keyboard file into ToucheCaractere and DerniereTouche; tells the user when it cannot be
// opened. Always returns 0.
int ChargeIndications();

// Index of the first entry from 0 to last whose character equals c exactly, or -1 when there is none.
int findKey(const TextTable &table, qint16 last, const QString &c);
