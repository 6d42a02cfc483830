#pragma once

// What the rooms of frappin-classe share: the window's title, the way a room tells the teacher something, and
// where Frappin is.

#include <QString>

class QWidget;

inline const QString CompanionTitle = QStringLiteral("Frappin - La classe");

// A message under the window's title, with one button.
void tell(QWidget *parent, const QString &text);
// The program started for a pupil: Frappin beside this program, or in ../lib/frappin/.
QString frappinProgram();
// Where Frappin's data files are (its keyboard file, its lessons): Frappin's folder, else this program's.
QString frappinFolder();
