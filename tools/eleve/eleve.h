#pragma once

// frappin-eleve: the companion command that names the current pupil for Frappin and prints the pupils' last
// results. It writes only the pupil's identity ("Prenom", "Nom", "Dernière" of section "Démarrage") and the
// pictures folder ("Eleves" of section "Fichier" under "Configuration"); it never touches the teacher's
// settings or the results.

#include <QStringList>
#include <QTextStream>

// Runs the command with its arguments (without the program name); returns the exit status.
int runEleve(const QStringList &arguments, QTextStream &out, QTextStream &err);
