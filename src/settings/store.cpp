#include "settings/store.h"

#include <QSettings>

#include <cmath>

namespace {

QString settingsKey(const QString &section, const QString &key)
{
    return section + u'/' + key;
}

} // namespace

namespace Store {

QString Read(const QString &application, const QString &section, const QString &key,
             const QString &defaultValue)
{
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("frappin"), application);
    const QVariant value = settings.value(settingsKey(section, key));
    if (!value.isValid())
        return defaultValue;
    // A key written by hand as a list ("a, b") comes back as a list; keep its text as it stands.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    return value.toString();
}

bool Write(const QString &application, const QString &section, const QString &key, const QString &value)
{
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("frappin"), application);
    settings.setValue(settingsKey(section, key), value);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

QStringList Sections(const QString &application)
{
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("frappin"), application);
    return settings.childGroups();
}

double ReadNumber(const QString &application, const QString &section, const QString &key, double defaultValue)
{
    bool ok = false;
    const double number = Read(application, section, key, QString()).trimmed().toDouble(&ok);
    return ok && std::isfinite(number) ? number : defaultValue;
}

int exerciceSetting()
{
    const double stored = ReadNumber(Frappin, Demarrage, Exercice, 0);
    if (stored != std::floor(stored) || stored < 0 || stored > 3)
        return 0;
    return static_cast<int>(stored);
}

int seriesLength()
{
    return (exerciceSetting() + 1) * 5;
}

QString niveauSetting()
{
    const QString stored = Read(Frappin, Demarrage, Niveau, QStringLiteral("0"));
    bool ok = false;
    const double number = stored.trimmed().toDouble(&ok);
    return ok && std::isfinite(number) ? stored : QStringLiteral("0");
}

} // namespace Store
