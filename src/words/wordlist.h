#pragma once

// The word list: the words a series draws from.
//
// A word-list file (".mot") in the program's folder holds one entry per line; a line whose first character is
// "#" is a comment. The first field of an entry (up to its first ",") is the word to type; the fields after
// it are reserved. The list is loaded once, at start-up, from the file named by the setting "Fichier".

#include "common/values.h"

#include <QString>
#include <QStringView>

// Loads at most MaxListEntries word lines of path into phrases and sets count to their number. Entries at and
// above count are left as they were. Returns false, leaving both unchanged, when the file cannot be opened.
bool loadWordList(const QString &path, TextTable &phrases, qint16 &count);
// The same from the decoded content of a file.
void parseWordList(QStringView content, TextTable &phrases, qint16 &count);

// The path of the word-list file chosen by the settings.
QString wordListPath();

// Loads the chosen word list into Phrases and NbPhrases; tells the user when the file cannot be opened.
// Always returns 0.
int ChargePhrases();

// The word of an entry: the text before its first comma, or the whole entry when it has none.
QString wordOfEntry(const QString &entry);
