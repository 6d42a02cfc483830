#pragma once

// Writing a whole file so that a failure never leaves a cut or mixed file behind.
//
// Where the file's folder may be written, the new content goes to a temporary file beside it, which then
// takes the old file's place in one step. Where only the file itself may be written (an installed program
// folder whose word list the administrator opened to the teachers), the file is rewritten in place: the room
// for the new content is reserved first, and should a write fail anyway the old bytes are put back.

#include <QByteArray>
#include <QString>

// Replaces the content of path with bytes. Returns the empty text on success, otherwise why the file could
// not be written, in French, for the user; the old file is then as it was.
QString saveWholeFile(const QString &path, const QByteArray &bytes);

// The reason behind a system error number, in French.
QString systemErrorText(int error);
