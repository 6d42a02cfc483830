#include "settings/store.h"

#include "common/savefile.h"
#include "common/text.h"
#include "common/textfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <utility>

// The settings files are INI files that readers other than this program can use: section and key names are
// written in plain UTF-8 ("[Démarrage]", "Nombre de caractères=20"), and values as they stand unless they
// hold what INI readers take for syntax. Files in Qt's own escaped INI form ("[D%E9marrage]",
// "Dur%E9e=\"0,5\"") and files edited by hand, in UTF-8 or Windows-1252, are read too.
//
// The store reads the file whole at each reading and writes it whole (saveWholeFile) under the lock file
// QSettings uses for it. It does not go through QSettings itself: QSettings keeps each file it has read in a
// cache of the process and reads it again only when its size or modification time has changed, so a file
// that another program rewrote within the same clock tick at the same size was served stale (seen as the
// pupil of the previous file), and a write could then have put the stale values back. Here the values read
// are kept only with the bytes they were read from, and used only while the file holds the same bytes.

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
    if (!name.contains(Escape) && !name.contains(u'\\'))
        return name.toString();
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

// What stands for the character at i of a name as written, or nothing when it stands as it is: plain text,
// with only what an INI reader would misread escaped.
QString nameEscape(QStringView name, qsizetype i, bool section)
{
    const QChar c = name[i];
    const bool edge = (i == 0 || i == name.size() - 1) && c.isSpace();
    const bool syntax = c == Escape || c == u'\\' || c == u'=' || c == u'[' || c == u']' ||
                        (i == 0 && (c == u';' || c == u'#'));
    if (c == u'/' && !section)
        return QStringLiteral("\\");
    if (edge || syntax || c.unicode() < 0x20 || c.unicode() == 0x7F)
        return Escape + QString::number(c.unicode(), 16).toUpper().rightJustified(2, u'0');
    return {};
}

// Appends a name as written. A school's file has tens of thousands of names: the plain runs go in whole.
void appendName(QString &out, QStringView name, bool section)
{
    qsizetype plain = 0; // the first character not yet written
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name[i].unicode();
        if (c > u' ' && c < 0x7F && c != u'%' && c != u'\\' && c != u'=' && c != u'[' && c != u']' &&
            c != u'/' && c != u';' && c != u'#')
            continue; // what no rule changes, most of a name: looked at no further
        if (const QString escape = nameEscape(name, i, section); !escape.isNull()) {
            out += name.sliced(plain, i - plain);
            out += escape;
            plain = i + 1;
        }
    }
    out += name.sliced(plain);
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
    if (std::none_of(text.begin(), text.end(),
                     [](QChar c) { return c == u'"' || c == u';' || c == u'\\' || c == u'@'; }))
        return text.trimmed().toString();
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

// Values by their full name, "section/key" ("key" alone for keys of no section), in the writer's order.
using Values = QMap<QString, QString>;

// The text of a file as the reader takes it, composed (NFC): UTF-8 when it is, otherwise each line decoded on
// its own, since a file edited by hand may mix UTF-8 lines with Windows-1252 ones, or hold garbage between
// valid lines, and the valid lines must still be read.
QString decodedLines(const QByteArray &bytes)
{
    QByteArrayView utf8(bytes);
    if (utf8.startsWith("\xEF\xBB\xBF"))
        utf8 = utf8.sliced(3);
    if (utf8.isValidUtf8())
        return QString::fromUtf8(utf8).normalized(QString::NormalizationForm_C);
    QString text;
    for (const QByteArray &line : QByteArray(bytes).replace('\r', '\n').split('\n'))
        text += decodeTextFile(line) + u'\n';
    return text;
}

// The section a header line names. "General" holds the keys of no section; a section of that name is written
// "%General".
QString sectionOfHeader(QStringView line)
{
    const qsizetype close = line.lastIndexOf(u']');
    const QStringView name = line.sliced(1, (close > 0 ? close : line.size()) - 1).trimmed();
    return name == GeneralSection               ? QString()
           : name == QStringLiteral("%General") ? GeneralSection
                                                : unescapedName(name);
}

// Every value of a file, read line by line; a key given twice keeps its last value.
Values parsedIni(const QByteArray &bytes)
{
    Values values;
    const QString text = decodedLines(bytes);
    QString section;
    for (LineReader lines(text); !lines.atEnd();) {
        const QStringView line = lines.next().trimmed();
        const qsizetype equals = line.indexOf(u'=');
        if (line.startsWith(u'[')) {
            section = sectionOfHeader(line);
        } else if (!line.startsWith(u';') && !line.startsWith(u'#') && equals > 0) {
            const QString key = unescapedName(line.first(equals).trimmed());
            // A file as the writer leaves it comes in the map's order: each value goes at its end at once.
            if (!key.isEmpty())
                values.insert(values.cend(), section.isEmpty() ? key : section + u'/' + key,
                              unescapedValue(line.sliced(equals + 1).trimmed()));
        }
    }
    return values;
}

QByteArray writePlainIni(const Values &map, qsizetype sizeHint = 0)
{
    QString text;
    text.reserve(sizeHint);
    QStringView current; // the section of the last header, or "General" for the keys of no section
    bool currentNone = false;
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        const QStringView name(it.key());
        const qsizetype slash = name.indexOf(u'/');
        const QStringView section = slash < 0 ? QStringView(GeneralSection) : name.first(slash);
        if (text.isEmpty() || section != current || (slash < 0) != currentNone) {
            text += text.isEmpty() ? u"[" : u"\n[";
            if (slash < 0)
                text += GeneralSection;
            else if (section == GeneralSection)
                text += u"%General";
            else
                appendName(text, section, true);
            text += u"]\n";
            current = section;
            currentNone = slash < 0;
        }
        appendName(text, name.sliced(slash + 1), false);
        text += u'=';
        text += escapedValue(it.value());
        text += u'\n';
    }
    return text.toUtf8();
}

// The file of an application: $XDG_CONFIG_HOME/frappin/<application>.ini, where QSettings puts it too.
QString storeFile(const QString &application)
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/frappin/") + application + QStringLiteral(".ini");
}

// A settings file as last read or written: its bytes and their values.
struct IniFile {
    QByteArray bytes;
    Values values;
};

// The settings files as last read or written, by path.
QHash<QString, IniFile> &files()
{
    static QHash<QString, IniFile> read;
    return read;
}

// A file read afresh, or an empty one when it is absent or cannot be read. Only an ordinary file is read (a
// named pipe would wait for ever). The bytes are read each time; they are parsed again only when they differ
// from those last read or written, so another program's change is always seen.
IniFile &load(const QString &path, bool *readable = nullptr)
{
    QFile file(path);
    const bool ok = QFileInfo(path).isFile() && file.open(QIODevice::ReadOnly);
    if (readable)
        *readable = ok || !QFileInfo::exists(path);
    IniFile &known = files()[path];
    const QByteArray bytes = ok ? file.readAll() : QByteArray();
    if (bytes != known.bytes)
        known = {bytes, parsedIni(bytes)};
    return known;
}

// Names are compared composed (NFC), as the reader composes every line it decodes: a section written
// "De" + U+0301 + "marrage" is read back as the teacher's "Démarrage", so it must be that one here too.
QString composed(const QString &name)
{
    return name.normalized(QString::NormalizationForm_C);
}

QString settingsKey(const QString &section, const QString &key)
{
    return composed(section) + u'/' + composed(key);
}

// Why the last write failed, in French.
QString &lastWriteError()
{
    static QString error;
    return error;
}

bool failWrite(const QString &error)
{
    lastWriteError() = error;
    return false;
}

// Sets values of an application's section, or removes one of its keys, in one write of the whole file.
bool writeValues(const QString &application, const QString &givenSection,
                 const QList<std::pair<QString, QString>> &givenValues, const QString &removedKey = {})
{
    const QString path = storeFile(application);
    const QString section = composed(givenSection);
    QList<std::pair<QString, QString>> values;
    for (const auto &[key, value] : givenValues)
        values.append({composed(key), value});
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
    errno = 0;
    if (!lock.tryLock(2000)) {
        // The lock file could not be written (a full disk, a size limit: the error of its write is the last
        // one), or another program holds it.
        const int error = errno;
        return failWrite(lock.error() == QLockFile::LockFailedError
                             ? QStringLiteral("un autre programme est en train de l'écrire.")
                         : error != 0
                             ? systemErrorText(error)
                             : QStringLiteral("le verrou « %1 » n'a pas pu être créé.").arg(lock.fileName()));
    }
    bool readable = false;
    // The values known are changed where they are (a school's file holds tens of thousands of them): a failed
    // write leaves none, so that the next reading reads the file again.
    IniFile file = std::exchange(load(path, &readable), IniFile());
    // A file that cannot be read is never replaced by one that would lose its values.
    if (!readable)
        return failWrite(QStringLiteral("il ne peut pas être lu."));
    if (!removedKey.isEmpty() && file.values.remove(settingsKey(section, removedKey)) == 0) {
        files()[path] = std::move(file);
        return true;
    }
    for (const auto &[key, value] : values)
        file.values.insert(settingsKey(section, key), value);
    file.bytes = writePlainIni(file.values, file.bytes.size() + 1024);
    if (const QString error = saveWholeFile(path, file.bytes); !error.isEmpty())
        return failWrite(error);
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    files()[path] = std::move(file);
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
    return load(storeFile(application)).values.value(settingsKey(section, key), defaultValue);
}

QStringList read(const QString &application, const QList<std::pair<QString, QString>> &keys)
{
    const Values &values = load(storeFile(application)).values;
    QStringList found;
    for (const auto &[section, key] : keys)
        found.append(values.value(settingsKey(section, key)));
    return found;
}

bool write(const QString &application, const QString &section, const QString &key, const QString &value)
{
    return writeValues(application, section, {{key, value}});
}

bool write(const QString &application, const QString &section,
           const QList<std::pair<QString, QString>> &values)
{
    return writeValues(application, section, values);
}

QString writeError()
{
    return lastWriteError();
}

bool remove(const QString &application, const QString &section, const QString &key)
{
    return writeValues(application, section, {}, key);
}

QStringList sections(const QString &application)
{
    QStringList found;
    const Values &map = load(storeFile(application)).values;
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        const qsizetype slash = it.key().indexOf(u'/');
        // The names of a section are together in the map's order.
        if (slash > 0 && (found.isEmpty() || found.last() != it.key().first(slash)))
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

bool switchedOn(const QString &key)
{
    return isOn(read(Frappin, Demarrage, key, QString()));
}

bool isOn(const QString &stored)
{
    return stored.trimmed() == u"1";
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

bool writePupilResults(const QList<std::pair<QString, QString>> &results, const QString &pupil)
{
    // The teacher's section is no pupil's, whichever way its name was written: its "Niveau" is the guide's.
    const QString section = composed(trimBlanks(pupil));
    return section.isEmpty() || section == Demarrage || writeValues(Frappin, section, results);
}

bool writePupilResult(const QString &key, const QString &value)
{
    return writePupilResults({{key, value}});
}

} // namespace Store
