#pragma once

// Texts that the program shows or stores in more than one place.

#include <QString>

namespace Texts {

inline const QString ApplicationTitle = QStringLiteral("Divod Ivodedod - Frappin");
// The quotation marks of French typography, held to their word by no-break spaces.
inline const QString Invitation =
    QStringLiteral("Clique sur le bouton «\u00A0Commencer\u00A0» pour débuter les exercices.");
inline const QString QuitQuestion = QStringLiteral("Voulez-vous quitter le programme ?");
// A word list chosen in the settings that cannot be read (%1: its path), and the title of such messages.
inline const QString ChosenListNotLoaded =
    QStringLiteral("Impossible de charger la liste de mots choisie.\rChemin '%1'\rLes exercices gardent la "
                   "liste précédente.");
inline const QString WordListTitle = QStringLiteral("Fichier des mots");

// Version shown in the About box: major.minor.revision.
inline constexpr int VersionMajor = 1;
inline constexpr int VersionMinor = 0;
inline constexpr int VersionRevision = 0;

} // namespace Texts
