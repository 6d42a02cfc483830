#pragma once

// The pupil's photograph: a bitmap named after the pupil in the pictures folder.
//
// Another program writes the pupil's names ("Nom", "Prenom" of "Démarrage") and the pictures folder ("Eleves"
// of section "Fichier" under the application "Configuration"); this program only reads them, at each look-up,
// so a pupil set meanwhile is taken at once. The file is "<Nom>-<Prenom>.bmp", the names as stored,
// untrimmed.

#include <QImage>
#include <QString>

// The path of the photograph of a pupil in a folder, or an empty text when the names cannot make a file name
// of that folder (a name holding "/"). The name is looked for with its letters composed, then decomposed.
QString pupilPhotoPath(const QString &folder, const QString &nom, const QString &prenom);

// The pictures folder from the store: "Eleves", or the program's folder when it is unset or blank. A relative
// folder is taken from the program's folder.
QString pupilPhotoFolder();

// The path of the current pupil's photograph, from the store.
QString currentPupilPhotoPath();

// Whether path names an ordinary file: present, not a folder, not hidden.
bool isOrdinaryFile(const QString &path);

// The largest photograph read: 32 million pixels, 128 MB once decoded; more than most cameras give.
inline constexpr qint64 MaxPhotoPixels = 32 * 1024 * 1024;

// The picture in the ordinary file at path, or a null image when there is no such file, it does not hold a
// readable picture, or the picture is larger than MaxPhotoPixels.
QImage loadPupilPhoto(const QString &path);
// The same, always decoding the file.
QImage readPhoto(const QString &path);
