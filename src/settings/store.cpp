#include "settings/store.h"

#include "common/savefile.h"
#include "common/text.h"
#include "common/textfile.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QLockFile>
#include <QSettings>
#include <QStandardPaths>

#include <cmath>
#include <optional>

// The settings files are INI files that readers other than this program can use: section and key names are
// written in plain UTF-8 ("[Démarrage]", "Nombre de caractères=20"), and values as they stand unless they
// hold what INI readers take for syntax. Files in Qt's own escaped INI form ("[D%E9marrage]",
// "Dur%E9e=\"0,5\"") and files edited by hand, in UTF-8 or Windows-1252, are read too.
//
// The store reads the file afresh at each reading and writes it whole (saveWholeFile) under the lock file
// QSettings uses for it. It does not go through QSettings itself: QSettings keeps each file it has read in a
// cache of the process and reads it again only when its size or modification time has changed, so a file
// that another program rewrote within the same clock tick at the same size was served stale (seen as the
// pupil of the previous file), and a write could then have put the stale values back.

namespace {

constexpr char16_t Escape = u'%';

bool isHex(QChar c)
{
    return c.isDigit() || (c.unicode() >= u'a' && c.unicode() <= u'f') ||
           (c.unicode() >= u'A' && c.unicode() <= u'F');
}

// Undoes "%XX", "%UXXXX" and "\" for "/" in a section or key name.
QString unescapedName(QStringView name)
{
    QString out;
    out.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name[i];
        if (c == u'\\') {
            out += u'/';
        } else if (c == Escape && i + 5 < name.size() + 0 && name[i + 1] == u'U' && isHex(name[i + 2]) &&
                   isHex(name[i + 3]) && isHex(name[i + 4]) && isHex(name[i + 5])) {
            out += QChar(name.sliced(i + 2, 4).toUShort(nullptr, 16));
            i += 5;
        } else if (c == Escape && i + 2 < name.size() && isHex(name[i + 1]) && isHex(name[i + 2])) {
            out += QChar(name.sliced(i + 1, 2).toUShort(nullptr, 16));
            i += 2;
        } else {
            out += c;
        }
    }
    return out;
}

// A name as written: plain text, with only what an INI reader would misread escaped.
QString escapedName(QStringView name, bool section)
{
    QString out;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name[i];
        const bool edge = (i == 0 || i == name.size() - 1) && c.isSpace();
        const bool syntax = c == Escape || c == u'\\' || c == u'=' || c == u'[' || c == u']' ||
                            (i == 0 && (c == u';' || c == u'#'));
        if (c == u'/' && !section)
            out += u'\\';
        else if (edge || syntax || c.unicode() < 0x20 || c.unicode() == 0x7F)
            out += Escape + QString::number(c.unicode(), 16).toUpper().rightJustified(2, u'0');
        else
            out += c;
    }
    return out;
}

// The control characters a value spells with a backslash and a letter, both ways.
constexpr std::pair<char16_t, char16_t> ControlEscapes[] = {
    {u'\n', u'n'}, {u'\r', u'r'}, {u'\t', u't'}, {u'\a', u'a'},
    {u'\b', u'b'}, {u'\f', u'f'}, {u'\v', u'v'}, {u'\0', u'0'},
};

// A value as Qt's INI form writes it: quotes, backslash escapes, a comment after ";" outside quotes, and the
// "@" prefixes of typed values.
QString unescapedValue(QStringView text)
{
    QString out;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'"') {
            quoted = !quoted;
        } else if (c == u';' && !quoted) {
            break;
        } else if (c == u'\\' && i + 1 < text.size()) {
            const QChar e = text[++i];
            if (e == u'x') {
                qsizetype end = i + 1;
                while (end < text.size() && end < i + 5 && isHex(text[end]))
                    ++end;
                out += QChar(text.sliced(i + 1, end - i - 1).toUShort(nullptr, 16));
                i = end - 1;
            } else {
                const auto *escape = std::find_if(std::begin(ControlEscapes), std::end(ControlEscapes),
                                                  [e](const auto &pair) { return pair.second == e; });
                out += escape != std::end(ControlEscapes) ? QChar(escape->first) : e;
            }
        } else {
            out += c;
        }
    }
    if (!text.contains(u'"'))
        out = out.trimmed();
    if (out.startsWith(QStringLiteral("@@")))
        return out.sliced(1);
    for (const QLatin1StringView prefix : {QLatin1StringView("@String("), QLatin1StringView("@ByteArray(")}) {
        if (out.startsWith(prefix) && out.endsWith(u')'))
            return out.sliced(prefix.size(), out.size() - prefix.size() - 1);
    }
    return out;
}

// A value as written: as it stands, or quoted with escapes when it holds what a reader would take apart.
QString escapedValue(const QString &value)
{
    const bool plain =
        !value.isEmpty() && !value.front().isSpace() && !value.back().isSpace() && !value.startsWith(u'@') &&
        std::none_of(value.begin(), value.end(), [](QChar c) {
            return c == u'"' || c == u';' || c == u'\\' || c.unicode() < 0x20 || c.unicode() == 0x7F;
        });
    if (plain || value.isEmpty())
        return value;
    QString out = QStringLiteral("\"");
    for (const QChar c : value) {
        if (c == u'"' || c == u'\\')
            out += u'\\' + QString(c);
        else if (const auto *escape = std::find_if(std::begin(ControlEscapes), std::end(ControlEscapes),
                                                   [c](const auto &pair) { return pair.first == c; });
                 escape != std::end(ControlEscapes))
            out += u'\\' + QChar(escape->second);
        else if (c.unicode() < 0x20 ||
                 c.unicode() == 0x7F) // four digits: a letter after it is not read as one
            out += QStringLiteral("\\x") + QString::number(c.unicode(), 16).rightJustified(4, u'0');
        else
            out += c;
    }
    return out + u'"';
}

const QString GeneralSection = QStringLiteral("General");

bool readPlainIni(QIODevice &device, QSettings::SettingsMap &map)
{
    QString section;
    // Each line is decoded on its own: a file edited by hand may mix UTF-8 lines with Windows-1252 ones, or
    // hold garbage between valid lines, and the valid lines must still be read.
    const QByteArray bytes = device.readAll();
    for (const QByteArray &bytesOfLine : QByteArray(bytes).replace('\r', '\n').split('\n')) {
        const QString text = decodeTextFile(bytesOfLine);
        const QStringView line = QStringView(text).trimmed();
        if (line.isEmpty() || line.startsWith(u';') || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[')) {
            const qsizetype close = line.lastIndexOf(u']');
            const QStringView name = line.sliced(1, (close > 0 ? close : line.size()) - 1).trimmed();
            // "General" holds the keys of no section; a section of that name is written "%General".
            section = name == GeneralSection               ? QString()
                      : name == QStringLiteral("%General") ? GeneralSection
                                                           : unescapedName(name);
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (equals <= 0)
            continue;
        const QString key = unescapedName(line.first(equals).trimmed());
        if (key.isEmpty())
            continue;
        map.insert(section.isEmpty() ? key : section + u'/' + key,
                   unescapedValue(line.sliced(equals + 1).trimmed()));
    }
    return true;
}

bool writePlainIni(QIODevice &device, const QSettings::SettingsMap &map)
{
    QString text;
    QString current;
    bool first = true;
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        const qsizetype slash = it.key().indexOf(u'/');
        const QString section = slash < 0 ? GeneralSection : it.key().first(slash);
        const QString key = slash < 0 ? it.key() : it.key().sliced(slash + 1);
        if (first || section != current) {
            if (!first)
                text += u'\n';
            const QString name = slash < 0                   ? GeneralSection
                                 : section == GeneralSection ? QStringLiteral("%General")
                                                             : escapedName(section, true);
            text += u'[' + name + QStringLiteral("]\n");
            current = section;
            first = false;
        }
        text += escapedName(key, false) + u'=' + escapedValue(it.value().toString()) + u'\n';
    }
    const QByteArray bytes = text.toUtf8();
    return device.write(bytes) == bytes.size();
}

// The file of an application: $XDG_CONFIG_HOME/frappin/<application>.ini, where QSettings puts it too.
QString storeFile(const QString &application)
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/frappin/") + application + QStringLiteral(".ini");
}

// The values of a file, read afresh. Only an ordinary file is read (a named pipe would wait for ever). The
// bytes are read each time; the values are parsed again only when the bytes differ from the last file's.
QSettings::SettingsMap load(const QString &path, bool *readable = nullptr)
{
    static QString lastPath;
    static QByteArray lastBytes;
    static QSettings::SettingsMap lastMap;
    QFile file(path);
    const bool ok = QFileInfo(path).isFile() && file.open(QIODevice::ReadOnly);
    if (readable)
        *readable = ok || !QFileInfo::exists(path);
    if (!ok)
        return {};
    const QByteArray bytes = file.readAll();
    if (path != lastPath || bytes != lastBytes) {
        QBuffer buffer;
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        lastMap.clear();
        readPlainIni(buffer, lastMap);
        lastPath = path;
        lastBytes = bytes;
    }
    return lastMap;
}

QString settingsKey(const QString &section, const QString &key)
{
    return section + u'/' + key;
}

// Writes or, without a value, removes one key.
bool update(const QString &application, const QString &section, const QString &key,
            const std::optional<QString> &value)
{
    const QString path = storeFile(application);
    // Grades of children are personal data: the folder and the file are for their owner only. The folder is
    // closed before the file is first written, so that no other account ever reads it.
    const QString folder = QFileInfo(path).absolutePath();
    if (QDir().mkpath(folder))
        QFile::setPermissions(folder,
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    // The lock QSettings takes for the same file: one writer at a time, whichever program it is.
    // A lock that is never released (a lock file the program cannot replace) fails the write, never the
    // series.
    QLockFile lock(path + QStringLiteral(".lock"));
    if (!lock.tryLock(2000))
        return false;
    bool readable = false;
    QSettings::SettingsMap map = load(path, &readable);
    // A file that cannot be read is never replaced by one that would lose its values.
    if (!readable)
        return false;
    if (value)
        map.insert(settingsKey(section, key), *value);
    else if (map.remove(settingsKey(section, key)) == 0)
        return true;
    QBuffer bytes;
    bytes.open(QIODevice::WriteOnly);
    if (!writePlainIni(bytes, map) || !saveWholeFile(path, bytes.data()).isEmpty())
        return false;
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return true;
}

} // namespace

namespace Store {

QString filePath(const QString &application)
{
    return storeFile(application);
}

QString read(const QString &application, const QString &section, const QString &key,
             const QString &defaultValue)
{
    const QSettings::SettingsMap map = load(storeFile(application));
    const auto value = map.constFind(settingsKey(section, key));
    return value == map.cend() ? defaultValue : value->toString();
}

bool write(const QString &application, const QString &section, const QString &key, const QString &value)
{
    return update(application, section, key, value);
}

bool remove(const QString &application, const QString &section, const QString &key)
{
    return update(application, section, key, std::nullopt);
}

QStringList sections(const QString &application)
{
    QStringList found;
    const QSettings::SettingsMap map = load(storeFile(application));
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        const qsizetype slash = it.key().indexOf(u'/');
        if (slash > 0 && !found.contains(it.key().first(slash)))
            found.append(it.key().first(slash));
    }
    return found;
}

double readNumber(const QString &application, const QString &section, const QString &key, double defaultValue)
{
    bool ok = false;
    const double number = read(application, section, key, QString()).trimmed().toDouble(&ok);
    return ok && std::isfinite(number) ? number : defaultValue;
}

int exerciceSetting()
{
    const double stored = readNumber(Frappin, Demarrage, Exercice, 0);
    if (stored != std::floor(stored) || stored < 0 || stored > 3)
        return 0;
    return static_cast<int>(stored);
}

int seriesLength()
{
    return (exerciceSetting() + 1) * 5;
}

QString derniere(const QString &absent)
{
    return read(Frappin, Demarrage, Derniere, absent);
}

QString prenom()
{
    return read(Frappin, Demarrage, Prenom, QString());
}

QString nom()
{
    return read(Frappin, Demarrage, Nom, QString());
}

bool writePupilResult(const QString &key, const QString &value)
{
    const QString section = trimBlanks(derniere());
    return section.isEmpty() || write(Frappin, section, key, value);
}

} // namespace Store
