#pragma once

// The pupil's identity as Frappin reads it ("Prenom", "Nom" and "Dernière" of section "Démarrage", and the
// pictures folder "Eleves"), written by the companions frappin-eleve and frappin-classe only, both through
// this one function so that they write it the same way.

#include <QString>

namespace Identity {

struct Pupil {
    QString prenom;
    QString nom;
    QString eleve; // the name the results are stored under; empty: "Prénom Nom"
};

// The pupil with blanks trimmed and the results name filled in.
Pupil normalised(const Pupil &pupil);
// Why the pupil cannot be named, in French (lower case, for "frappin-eleve : ..."), or the empty text.
QString problem(const Pupil &pupil);
// Writes the identity, and the pictures folder when photos is not empty. Returns false when the store could
// not be written or the pupil is refused by problem().
bool write(const Pupil &pupil, const QString &photos = QString());

} // namespace Identity
