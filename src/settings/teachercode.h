#pragma once

// The teacher's code: it guards the teacher's side (the class, the results, the settings and the word-list
// editor) from the pupils. It is never stored in clear: Configuration.ini, section "Enseignant", key "Code"
// holds one value "pbkdf2-sha256$<iterations>$<salt>$<key>" (salt and key in Base64), the key derived from
// the code's UTF-8 bytes with PBKDF2-HMAC-SHA256 and a random salt of its own.
//
// No key, or an empty one: no code, nothing is asked. A value this module cannot read (edited by hand, cut
// short) still counts as a code, one that nothing matches: the teacher's side stays shut and the teacher is
// told how to start again (removing the line from the file), rather than a damaged file opening it.

#include <QByteArray>
#include <QString>

namespace TeacherCode {

inline const QString Section = QStringLiteral("Enseignant");
inline const QString Key = QStringLiteral("Code");

enum class State { None, Set, Damaged };

// Iterations given to a new code; a stored value may have any count within the readable range.
constexpr int Iterations = 200000;
constexpr int MinIterations = 1000;
constexpr int MaxIterations = 5000000;

// The stored value for a code, with the salt and count given (the salt must not be empty).
QString hashed(const QString &code, const QByteArray &salt, int iterations = Iterations);
// The state a stored value stands for.
State stateOf(const QString &stored);
// Whether the code matches the stored value; never for a stored value of another state than Set. The keys
// are compared in a time that does not depend on where they differ.
bool matchesStored(const QString &code, const QString &stored);
// Why a new code is refused, in French, or the empty text.
QString problem(const QString &code);

// The same, against Configuration.ini.
State state();
bool matches(const QString &code);
// Stores a new code with a fresh random salt, or removes the code; false when the file could not be written.
bool set(const QString &code);
bool remove();

} // namespace TeacherCode
