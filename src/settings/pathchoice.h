#pragma once

// The path's choices in the settings dialog: "Parcours : chaque élève à sa leçon", stored at once as
// "Parcours" ("1" or "0"), and the grade to reach twice in a row to pass a lesson (16, 18 or 20), stored as
// "NotePourPasser", in "Démarrage". Like the dictation choice they take a band of their own under the
// dialog's other controls, which the dialog grows by. With the path on, the word list chosen above is not
// used by the exercises; the band says so.

class QDialog;

void addPathChoice(QDialog *dialog);
