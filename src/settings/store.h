#pragma once

// The per-user settings store: (application, section, key) -> text.
//
// Each application is one INI file of the organisation "frappin" in the user's configuration folder:
// "Frappin" is $XDG_CONFIG_HOME/frappin/Frappin.ini and "Configuration" .../frappin/Configuration.ini. A
// section is an INI group. Every read goes to the file at the moment it is made, so values written meanwhile
// by another program (the pupil's identity) are seen at once; values are kept only with the bytes they were
// read from.
//
// This module is the only one that opens the store.

#include <QString>
#include <QStringList>

#include <utility>

namespace Store {

inline const QString Frappin = QStringLiteral("Frappin");
inline const QString Configuration = QStringLiteral("Configuration");

// Section of the teacher's settings and of the pupil's identity, and its keys.
inline const QString Demarrage = QStringLiteral("Démarrage");
inline const QString Niveau = QStringLiteral("Niveau");
inline const QString Exercice = QStringLiteral("Exercice");
inline const QString Son = QStringLiteral("Son");
// The words said and not shown, with "Son" on: "1" (absent or anything else: shown).
inline const QString Dictee = QStringLiteral("Dictee");
inline const QString Fichier = QStringLiteral("Fichier");
// The path: "1" gives each pupil their own lesson (absent or anything else: the one list "Fichier" for all),
// and the grade to reach twice in a row to pass a lesson: 16, 18 or 20 (anything else counts as 18).
inline const QString Parcours = QStringLiteral("Parcours");
inline const QString NotePourPasser = QStringLiteral("NotePourPasser");
inline const QString Derniere = QStringLiteral("Dernière");
inline const QString Prenom = QStringLiteral("Prenom");
inline const QString Nom = QStringLiteral("Nom");

// Keys of a pupil's section: the results of the pupil's last series ("Niveau" as above).
inline const QString Note = QStringLiteral("Note");
inline const QString Duree = QStringLiteral("Durée"); // in days
inline constexpr int SecondsPerDay = 86400;
inline const QString NombreCaracteres = QStringLiteral("Nombre de caractères");
// The pupil's place on the path: the lesson's file name, how many series in a row on it reached the grade
// to pass (0 or 1), and the date (yyyy-MM-dd) the pupil earned the "permis clavier", absent before.
inline const QString Lecon = QStringLiteral("Leçon");
inline const QString Reussies = QStringLiteral("Réussies");
inline const QString Permis = QStringLiteral("Permis");

// The pictures folder, under the application "Configuration".
inline const QString SectionFichier = QStringLiteral("Fichier");
inline const QString Eleves = QStringLiteral("Eleves");
// The results database of the school, under the application "Configuration": the PostgreSQL service (a
// section of pg_service.conf) that pupils' computers add their series to, and the one the teacher reads the
// class with.
inline const QString Resultats = QStringLiteral("Resultats");
inline const QString Service = QStringLiteral("Service");
inline const QString ServiceEnseignant = QStringLiteral("ServiceEnseignant");

inline const QString DefaultWordList = QStringLiteral("frappin.mot");

// The file of an application, for messages that send the user to it.
QString filePath(const QString &application);

// The stored text, or defaultValue when the key is absent or the store cannot be read.
QString read(const QString &application, const QString &section, const QString &key,
             const QString &defaultValue);
// Several (section, key) values from one reading of the file, each absent one empty: a file of 10,000 pupils
// is read whole at each reading.
QStringList read(const QString &application, const QList<std::pair<QString, QString>> &keys);
// Names are compared in their composed form (NFC), as the file's lines are read.
// Creates or replaces the value. Returns false when the store could not be written.
bool write(const QString &application, const QString &section, const QString &key, const QString &value);
// Several values of a section in one write: all of them are stored, or none.
bool write(const QString &application, const QString &section,
           const QList<std::pair<QString, QString>> &values);
// Why the last write that failed could not be made, in French (lower case, ending with a full stop).
QString writeError();
// Removes the key; true when it is gone (or was never there), false when the store could not be written.
bool remove(const QString &application, const QString &section, const QString &key);

// The sections of an application, in the store's order; for the companion tool that lists the pupils.
QStringList sections(const QString &application);

// The stored text read as a decimal number, or defaultValue when it is absent or not a number.
double readNumber(const QString &application, const QString &section, const QString &key,
                  double defaultValue);

// The teacher's settings of "Démarrage", read as the exercises use them.
// Series length setting: 0 to 3 for 5 to 20 words; any other value counts as 0.
int exerciceSetting();
// Words in a series: (Exercice + 1) x 5.
int seriesLength();
// A yes-or-no choice of the teacher's ("Son", "Dictee", "Parcours"): only "1" turns it on.
bool switchedOn(const QString &key);
// The same rule on a value already read.
bool isOn(const QString &stored);

// The pupil's identity, written by another program and only read here: "Dernière" (the name the results are
// stored under) as stored, or absent when it is not set; "Prenom" and "Nom" as stored.
QString derniere(const QString &absent = QString());
QString prenom();
QString nom();
// Writes one result of the last series in the pupil's section: the section named by "Dernière", read again
// for each result as another program may name a new pupil meanwhile. A name made only of blanks names no
// section: nothing is written and that is no failure. Returns false when the store could not be written.
bool writePupilResult(const QString &key, const QString &value);
// The results of a series, (key, value) pairs, in one write: all of them are stored, or none. In the section
// of the pupil named, by default the one "Dernière" names now.
bool writePupilResults(const QList<std::pair<QString, QString>> &results, const QString &pupil = derniere());

} // namespace Store
