#include "about/registry.h"

#include <QHash>
#include <QMap>

#include <algorithm>

namespace {

struct Value {
    quint32 type = 0;
    QByteArray data;
};

struct Key {
    QHash<QString, Value> values; // by lower-case value name
};

struct Contents {
    QHash<QString, Key> keys; // by root and lower-case key path
    QMap<Registry::Handle, QString> open;
    Registry::Handle nextHandle = 0x100;
};

Contents &contents()
{
    static Contents instance;
    return instance;
}

QString keyId(quint32 root, const QString &keyName)
{
    return QString::number(root, 16) + u'\\' + keyName.toLower();
}

} // namespace

namespace Registry {

long openKey(quint32 root, const QString &keyName, quint32 /*access*/, Handle &key)
{
    key = 0;
    Contents &c = contents();
    const QString id = keyId(root, keyName);
    const auto found = c.keys.constFind(id);
    if (found == c.keys.constEnd())
        return NotFound;
    key = c.nextHandle++;
    c.open.insert(key, id);
    return Success;
}

long queryValue(Handle key, const QString &valueName, quint32 &type, QByteArray &buffer, quint32 &size)
{
    const Contents &c = contents();
    const auto open = c.open.constFind(key);
    if (open == c.open.constEnd())
        return InvalidHandle;
    const Key &k = c.keys[*open];
    const auto value = k.values.constFind(valueName.toLower());
    if (value == k.values.constEnd())
        return NotFound;
    const auto needed = static_cast<quint32>(value->data.size());
    if (needed > size || static_cast<qsizetype>(needed) > buffer.size()) {
        size = needed;
        return MoreData;
    }
    type = value->type;
    std::copy(value->data.cbegin(), value->data.cend(), buffer.begin());
    size = needed;
    return Success;
}

long closeKey(Handle key)
{
    return contents().open.remove(key) > 0 ? Success : InvalidHandle;
}

std::optional<QByteArray> trimToSize(const QByteArray &buffer, quint32 size)
{
    if (size == 0 || static_cast<qsizetype>(size) > buffer.size())
        return std::nullopt;
    const qsizetype kept = buffer.at(size - 1) == '\0' ? size - 1 : size;
    return buffer.left(kept);
}

void setValueForTests(quint32 root, const QString &keyName, const QString &valueName, quint32 type,
                      const QByteArray &data)
{
    contents().keys[keyId(root, keyName)].values.insert(valueName.toLower(), Value{type, data});
}

void clearForTests()
{
    contents() = Contents{};
}

} // namespace Registry
