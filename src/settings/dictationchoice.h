#pragma once

// The dictation choice of the settings dialog: "Dictée : le mot est dit, pas montré", stored at once as
// "Dictee" ("1" or "0") in "Démarrage". It needs the sound: while the sound list says "Non" it is shown
// disabled, with the reason under it. It takes a band of its own under the dialog's other controls, which the
// dialog grows by, so that none of them moves.

class QComboBox;
class QDialog;

// Adds the choice to dialog, following the sound list sound (its second item is "Oui").
void addDictationChoice(QDialog *dialog, QComboBox *sound);
