#pragma once

// The dialogs of the teacher's code (settings/teachercode.h): the one that asks it before the teacher's side
// opens, and the companion's one that sets, changes or removes it.

#include <QString>

class QWidget;

// True when no code is set or the teacher typed it; false when the teacher cancelled. A wrong code is said in
// the dialog and asked again; the dialog can always be cancelled. "opening" ends the sentence "Le code de
// l'enseignant est demandé pour ouvrir ...".
bool askTeacherCode(QWidget *parent, const QString &opening);

// Chooses a new code, typed twice, or removes the code; the current code, when there is one, is asked first.
void editTeacherCode(QWidget *parent);
