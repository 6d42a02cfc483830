#include "history/history.h"

#include "common/savefile.h"
#include "history/csv.h"

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>

#include <algorithm>

namespace {

constexpr QFileDevice::Permissions OwnerOnlyFile = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
constexpr QFileDevice::Permissions OwnerOnlyFolder =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;

// A lock held by another program is waited for this long at most: the end of a series must not wait.
const QString ConnectOptions = QStringLiteral("QSQLITE_BUSY_TIMEOUT=150");

const QStringList Schema = {
    QStringLiteral("CREATE TABLE eleve (id INTEGER PRIMARY KEY, nom TEXT NOT NULL UNIQUE)"),
    QStringLiteral("CREATE TABLE serie (id INTEGER PRIMARY KEY,"
                   " eleve INTEGER NOT NULL REFERENCES eleve(id) ON DELETE CASCADE,"
                   " debut TEXT NOT NULL, duree REAL NOT NULL, note INTEGER NOT NULL,"
                   " caracteres INTEGER NOT NULL, fautes INTEGER NOT NULL, niveau INTEGER NOT NULL,"
                   " liste TEXT NOT NULL)"),
    QStringLiteral("CREATE INDEX serie_eleve ON serie (eleve, debut)"),
    QStringLiteral("CREATE TABLE faute (serie INTEGER NOT NULL REFERENCES serie(id) ON DELETE CASCADE,"
                   " caractere TEXT NOT NULL, nombre INTEGER NOT NULL, PRIMARY KEY (serie, caractere))"),
};

bool makeOwnFolder(const QString &path)
{
    if (!QDir().mkpath(path))
        return false;
    QFile::setPermissions(path, OwnerOnlyFolder);
    return true;
}

// One connection for the time of one use, closed and removed when it goes.
class Connection {
public:
    Connection()
    {
        static int serial = 0;
        m_name = QStringLiteral("frappin-historique-%1").arg(++serial);
    }
    ~Connection()
    {
        if (m_db.isValid())
            m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_name);
    }
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    // Opens the database, creating it and its schema when create is set. Returns why it failed, or the empty
    // text.
    QString open(bool create)
    {
        const QString path = History::databasePath();
        const bool exists = QFileInfo::exists(path);
        if (!exists && !create)
            return QStringLiteral("absent");
        if (!exists) {
            if (!makeOwnFolder(History::folder()))
                return QStringLiteral("le dossier %1 ne peut pas être créé").arg(History::folder());
            // Created empty and owner-only before SQLite opens it; its journal takes the same rights.
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly))
                return QStringLiteral("le fichier %1 ne peut pas être créé").arg(path);
            file.close();
            QFile::setPermissions(path, OwnerOnlyFile);
        }
        if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE")))
            return QStringLiteral("le module SQLite de Qt n'est pas installé");
        m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        m_db.setDatabaseName(path);
        m_db.setConnectOptions(ConnectOptions +
                               (create ? QString() : QStringLiteral(";QSQLITE_OPEN_READONLY")));
        if (!m_db.open())
            return m_db.lastError().text();
        int version = 0;
        if (QString error = scalar(QStringLiteral("PRAGMA user_version"), version); !error.isEmpty())
            return error;
        if (version > History::SchemaVersion)
            return QStringLiteral("l'historique a été écrit par une version plus récente de Frappin");
        if (!exec(QStringLiteral("PRAGMA foreign_keys = ON")))
            return m_db.lastError().text();
        if (version == 0) {
            if (!create)
                return QStringLiteral("absent");
            if (!m_db.transaction())
                return m_db.lastError().text();
            for (const QString &statement : Schema) {
                if (!exec(statement))
                    return rollback();
            }
            if (!exec(QStringLiteral("PRAGMA user_version = %1").arg(History::SchemaVersion)) ||
                !m_db.commit())
                return rollback();
        }
        return QString();
    }

    QSqlDatabase &db() { return m_db; }

    QString lastError() { return m_lastError; }

    bool exec(const QString &statement)
    {
        QSqlQuery query(m_db);
        if (query.exec(statement))
            return true;
        m_lastError = query.lastError().text();
        return false;
    }

    QString scalar(const QString &statement, int &value)
    {
        QSqlQuery query(m_db);
        if (!query.exec(statement) || !query.next())
            return query.lastError().text().isEmpty() ? QStringLiteral("lecture impossible")
                                                      : query.lastError().text();
        value = query.value(0).toInt();
        return QString();
    }

    QString rollback()
    {
        const QString error = m_lastError.isEmpty() ? m_db.lastError().text() : m_lastError;
        m_db.rollback();
        return error;
    }

    // Writes the records in one transaction.
    QString write(const QList<History::Record> &records)
    {
        if (!m_db.transaction())
            return m_db.lastError().text();
        for (const History::Record &record : records) {
            QSqlQuery query(m_db);
            query.prepare(QStringLiteral("INSERT OR IGNORE INTO eleve (nom) VALUES (?)"));
            query.addBindValue(record.pupil);
            if (!query.exec())
                return failed(query);
            query.prepare(
                QStringLiteral("INSERT INTO serie (eleve, debut, duree, note, caracteres, fautes, niveau,"
                               " liste) SELECT id, ?, ?, ?, ?, ?, ?, ? FROM eleve WHERE nom = ?"));
            for (const QVariant &value :
                 {QVariant(record.start.toUTC().toString(Qt::ISODateWithMs)), QVariant(record.seconds),
                  QVariant(record.grade), QVariant(record.characters), QVariant(record.mistakes),
                  QVariant(record.level), QVariant(record.wordList), QVariant(record.pupil)})
                query.addBindValue(value);
            if (!query.exec())
                return failed(query);
            const QVariant serie = query.lastInsertId();
            for (auto it = record.mistakesByCharacter.cbegin(); it != record.mistakesByCharacter.cend();
                 ++it) {
                query.prepare(
                    QStringLiteral("INSERT INTO faute (serie, caractere, nombre) VALUES (?, ?, ?)"));
                query.addBindValue(serie);
                query.addBindValue(it.key());
                query.addBindValue(it.value());
                if (!query.exec())
                    return failed(query);
            }
        }
        if (!m_db.commit())
            return rollback();
        return QString();
    }

private:
    QString failed(const QSqlQuery &query)
    {
        m_lastError = query.lastError().text();
        return rollback();
    }

    QString m_name;
    QSqlDatabase m_db;
    QString m_lastError;
};

QJsonObject toJson(const History::Record &record)
{
    QJsonObject mistakes;
    for (auto it = record.mistakesByCharacter.cbegin(); it != record.mistakesByCharacter.cend(); ++it)
        mistakes.insert(it.key(), it.value());
    return {{"eleve", record.pupil},           {"debut", record.start.toUTC().toString(Qt::ISODateWithMs)},
            {"duree", record.seconds},         {"note", record.grade},
            {"caracteres", record.characters}, {"fautes", record.mistakes},
            {"niveau", record.level},          {"liste", record.wordList},
            {"fautesParCaractere", mistakes}};
}

History::Record fromJson(const QJsonObject &object)
{
    History::Record record;
    record.pupil = object.value("eleve").toString();
    record.start = QDateTime::fromString(object.value("debut").toString(), Qt::ISODateWithMs).toUTC();
    record.seconds = object.value("duree").toDouble();
    record.grade = object.value("note").toInt();
    record.characters = object.value("caracteres").toInteger();
    record.mistakes = object.value("fautes").toInteger();
    record.level = object.value("niveau").toInt();
    record.wordList = object.value("liste").toString();
    const QJsonObject mistakes = object.value("fautesParCaractere").toObject();
    for (auto it = mistakes.begin(); it != mistakes.end(); ++it)
        record.mistakesByCharacter.insert(it.key(), it.value().toInt());
    return record;
}

QString keepPending(const QList<History::Record> &records)
{
    if (records.isEmpty()) {
        QFile::remove(History::pendingPath());
        return QString();
    }
    if (!makeOwnFolder(History::folder()))
        return QStringLiteral("le dossier %1 ne peut pas être créé").arg(History::folder());
    QJsonArray array;
    for (const History::Record &record : records)
        array.append(toJson(record));
    const QString error = saveWholeFile(History::pendingPath(), QJsonDocument(array).toJson());
    QFile::setPermissions(History::pendingPath(), OwnerOnlyFile);
    return error;
}

// SQLite's reasons, in English, said in French for the teacher; others as they are.
QString inFrench(const QString &reason)
{
    const QString lower = reason.toLower();
    if (lower.contains(QLatin1StringView("not a database")) || lower.contains(QLatin1StringView("malformed")))
        return QStringLiteral("le fichier est abîmé");
    if (lower.contains(QLatin1StringView("locked")) || lower.contains(QLatin1StringView("busy")))
        return QStringLiteral("il est bloqué par un autre programme");
    if (lower.contains(QLatin1StringView("readonly")) || lower.contains(QLatin1StringView("read-only")))
        return QStringLiteral("il est en lecture seule");
    if (lower.contains(QLatin1StringView("disk is full")) ||
        lower.contains(QLatin1StringView("database or disk is full")))
        return QStringLiteral("le disque est plein");
    if (lower.contains(QLatin1StringView("unable to open")))
        return QStringLiteral("il ne peut pas être ouvert");
    return reason;
}

QString told(const QString &reason)
{
    return QStringLiteral("L'historique des séries (%1) ne peut pas être écrit : %2.")
        .arg(QDir::toNativeSeparators(History::databasePath()), inFrench(reason));
}

} // namespace

namespace History {

QString folder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/frappin");
}

bool ownFolder()
{
    return makeOwnFolder(folder());
}

QString databasePath()
{
    return folder() + QStringLiteral("/historique.sqlite");
}

QString pendingPath()
{
    return folder() + QStringLiteral("/historique-en-attente.json");
}

QList<Record> pending()
{
    QFile file(pendingPath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QList<Record> records;
    for (const QJsonValue &value : QJsonDocument::fromJson(file.readAll()).array()) {
        Record record = fromJson(value.toObject());
        if (!record.pupil.trimmed().isEmpty() && record.start.isValid())
            records.append(record);
    }
    return records;
}

QString append(const Record &record)
{
    QString error;
    {
        Connection connection;
        error = connection.open(true);
        if (error.isEmpty())
            error = connection.write({record});
    }
    if (error.isEmpty())
        return QString();
    QList<Record> kept = pending();
    kept.append(record);
    if (const QString notKept = keepPending(kept); !notKept.isEmpty())
        return told(error) + QStringLiteral("\rLa série n'a pas pu être gardée pour plus tard : ") + notKept;
    return told(error);
}

QString writePending()
{
    const QList<Record> kept = pending();
    if (kept.isEmpty()) {
        QFile::remove(pendingPath());
        return QString();
    }
    Connection connection;
    QString error = connection.open(true);
    if (error.isEmpty())
        error = connection.write(kept);
    if (!error.isEmpty())
        return told(error);
    QFile::remove(pendingPath());
    return QString();
}

QList<Record> records(const QString &pupil, QString *error)
{
    Connection connection;
    const QString failure = connection.open(false);
    if (!failure.isEmpty()) {
        if (error && failure != QStringLiteral("absent"))
            *error = told(failure).replace(QStringLiteral("écrit"), QStringLiteral("lu"));
        return {};
    }
    QSqlQuery query(connection.db());
    query.prepare(
        QStringLiteral("SELECT s.id, e.nom, s.debut, s.duree, s.note, s.caracteres, s.fautes, s.niveau,"
                       " s.liste FROM serie s JOIN eleve e ON e.id = s.eleve"
                       " WHERE ? = '' OR e.nom = ? ORDER BY s.debut, s.id"));
    // A null text binds as NULL, which equals nothing.
    const QString name = pupil.isEmpty() ? QStringLiteral("") : pupil;
    query.addBindValue(name);
    query.addBindValue(name);
    QList<Record> found;
    QMap<qint64, qsizetype> byId;
    if (!query.exec()) {
        if (error)
            *error = told(query.lastError().text()).replace(QStringLiteral("écrit"), QStringLiteral("lu"));
        return {};
    }
    while (query.next()) {
        Record record;
        record.pupil = query.value(1).toString();
        record.start = QDateTime::fromString(query.value(2).toString(), Qt::ISODateWithMs).toUTC();
        record.seconds = query.value(3).toDouble();
        record.grade = query.value(4).toInt();
        record.characters = query.value(5).toLongLong();
        record.mistakes = query.value(6).toLongLong();
        record.level = query.value(7).toInt();
        record.wordList = query.value(8).toString();
        byId.insert(query.value(0).toLongLong(), found.size());
        found.append(record);
    }
    QSqlQuery mistakes(connection.db());
    if (!found.isEmpty() && mistakes.exec(QStringLiteral("SELECT serie, caractere, nombre FROM faute"))) {
        while (mistakes.next()) {
            const auto at = byId.constFind(mistakes.value(0).toLongLong());
            if (at != byId.cend())
                found[*at].mistakesByCharacter.insert(mistakes.value(1).toString(),
                                                      mistakes.value(2).toInt());
        }
    }
    return found;
}

QStringList pupils(QString *error)
{
    QStringList names;
    for (const Record &record : records(QString(), error)) {
        if (!names.contains(record.pupil))
            names.append(record.pupil);
    }
    QCollator collator{QLocale(QLocale::French)};
    std::sort(names.begin(), names.end(), collator);
    return names;
}

QStringList csvHeader()
{
    return {QStringLiteral("Date"),
            QStringLiteral("Élève"),
            QStringLiteral("Durée (secondes)"),
            QStringLiteral("Note"),
            QStringLiteral("Caractères"),
            QStringLiteral("Fautes"),
            QStringLiteral("Vitesse (caractères par minute)"),
            QStringLiteral("Niveau"),
            QStringLiteral("Liste de mots"),
            QStringLiteral("Fautes par caractère")};
}

QStringList csvFields(const Record &record)
{
    QStringList mistakes;
    for (auto it = record.mistakesByCharacter.cbegin(); it != record.mistakesByCharacter.cend(); ++it)
        mistakes.append((it.key() == QStringLiteral(" ") ? QStringLiteral("espace") : it.key()) + u' ' +
                        QString::number(it.value()));
    return {record.start.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")),
            record.pupil,
            Csv::number(record.seconds, 1),
            QString::number(record.grade),
            QString::number(record.characters),
            QString::number(record.mistakes),
            Csv::number(record.speed(), 1),
            QString::number(record.level),
            record.wordList,
            mistakes.join(QStringLiteral(", "))};
}

} // namespace History
