#pragma once

// How the word-list editor reads and writes a word-list file.
//
// The editor shows the words of a file, one item per word line, and writes the file back from its list.
// Reading, line by line (so that one line never gives two items and two lines never give one):
//   - a line whose first character other than a blank is "#" is kept as it stands and written back, before
//     the words, when the list is saved; the exercises read a line that starts with "#" as a comment;
//   - any other line gives the text before its first comma (the whole line when it has none) with the blanks
//     at both ends removed: the word as a pupil is asked to type it. Quotes are part of the word;
//   - a line whose word is empty (an empty line, ",,") gives no item and is not written back.
// Writing: the kept lines, then one line per word, the word followed by ",,", each line ended by CR LF, in
// the encoding the file was read in (Windows-1252 for a new file), so that no line read can block a save;
// a UTF-8 file whose first line starts with U+FEFF gains a byte-order mark, without which it would be lost.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

#include "common/textfile.h"

#include <optional>

struct EditorFile {
    QStringList words;     // in the order of the file
    QStringList keptLines; // the comment lines, in the order of the file
    TextEncoding encoding = TextEncoding::Windows1252;
};

EditorFile readEditorFile(QStringView content);

// The bytes of the file, or nothing when a line holds a character that the file's encoding cannot hold; that
// line (without its line end) is then put in *badLine.
std::optional<QByteArray> writeEditorFile(const EditorFile &file, QString *badLine = nullptr);

// The editor's order of words: French alphabetical order (accents and letter case count only between words
// that are otherwise equal, so "école" comes between "diamant" and "fête").
bool frenchLessThan(const QString &a, const QString &b);

// The words of a file that changed on disk while it was edited: the words on disk now (theirs), with the
// words the editor added since it read base and without those it deleted since, in the order of theirs then
// of ours. No word of either side is lost unless one side deleted it.
QStringList mergeWords(const QStringList &base, const QStringList &ours, const QStringList &theirs);

// The first character of text that Windows-1252 cannot hold, or the empty text when it holds them all.
QString firstCharacterOutsideWindows1252(QStringView text);
