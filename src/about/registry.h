#pragma once

// The small system registry that the About box reads to find the system-information tool.
//
// It keeps the calling conventions of the registry functions that the box was written against: a key is
// opened under a root with an access mask and gives a handle; a value is queried through that handle into a
// caller's buffer of fixed size, which receives the raw bytes (8-bit text, or a little-endian number) and
// the size actually used; the handle is closed. Results are error codes, 0 for success.
//
// Linux has no such registry, so the program's registry is empty and every read fails as for a key that does
// not exist; the About box then looks for a system-information program of its own (about/sysinfo.h). Tests
// fill the registry with values of every kind, including values of size 0.

#include <QByteArray>
#include <QString>

#include <optional>
#include <stdexcept>

namespace Registry {

using Handle = quint32;

inline constexpr quint32 LocalMachine = 0x80000002; // HKEY_LOCAL_MACHINE
inline constexpr quint32 AllAccess = 0x2003F;       // KEY_ALL_ACCESS

// Value types.
inline constexpr quint32 TypeText = 1;   // REG_SZ
inline constexpr quint32 TypeBinary = 3; // REG_BINARY
inline constexpr quint32 TypeNumber = 4; // REG_DWORD

// Error codes.
inline constexpr long Success = 0;
inline constexpr long NotFound = 2;
inline constexpr long InvalidHandle = 6;
inline constexpr long MoreData = 234;

// Opens keyName (a path with "\" between its parts, letter case ignored) under root. Every key opens with any
// access asked for. On failure key is 0.
long openKey(quint32 root, const QString &keyName, quint32 access, Handle &key);
// Reads the value valueName of an open key: its type, its bytes copied to the start of buffer, and in size
// the number of bytes used. size holds the room of the buffer on entry; a value that does not fit gives
// MoreData, with the size needed in size.
long queryValue(Handle key, const QString &valueName, quint32 &type, QByteArray &buffer, quint32 &size);
// Closes a key opened by openKey; closing 0 is harmless and gives InvalidHandle.
long closeKey(Handle key);

// The text of a value read into buffer with the size that queryValue gave: when the byte at position size
// (counted from 1) is a NUL, the first size - 1 bytes, else the first size bytes. A size of 0 has no byte to
// look at and gives nothing: the reader treats that as a failure, not as an empty value.
std::optional<QByteArray> trimToSize(const QByteArray &buffer, quint32 size);

// A read that cannot go on (a value of size 0): raised by the readers that build on this layer.
class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Seam for tests: values put here are what openKey and queryValue find.
void setValueForTests(quint32 root, const QString &keyName, const QString &valueName, quint32 type,
                      const QByteArray &data);
// Empties the registry and forgets the open handles.
void clearForTests();

} // namespace Registry
