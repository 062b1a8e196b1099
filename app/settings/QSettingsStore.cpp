#include "settings/QSettingsStore.h"

#include <QVariant>

namespace {

QString KeyOf(const std::string& section, const std::string& key)
{
    return QString::fromStdString(section) + QLatin1Char('/') + QString::fromStdString(key);
}

}  // namespace

QSettingsStore::QSettingsStore()
    : settings_(QSettingsStore::kOrganisation, QSettingsStore::kApplication)
{
}

QSettingsStore::QSettingsStore(const QString& iniFile)
    : settings_(iniFile, QSettings::IniFormat)
{
}

std::string QSettingsStore::ReadString(const std::string& section, const std::string& key,
                                       const std::string& def) const
{
    const QVariant v = settings_.value(KeyOf(section, key));
    if (!v.isValid())
        return def;
    return v.toString().toStdString();
}

int QSettingsStore::ReadInt(const std::string& section, const std::string& key, int def) const
{
    const QVariant v = settings_.value(KeyOf(section, key));
    if (!v.isValid())
        return def;
    bool ok = false;
    const int value = v.toString().trimmed().toInt(&ok, 10);
    return ok ? value : def;
}

bool QSettingsStore::WriteString(const std::string& section, const std::string& key,
                                 const std::string& value)
{
    settings_.setValue(KeyOf(section, key), QString::fromStdString(value));
    return Commit();
}

bool QSettingsStore::WriteInt(const std::string& section, const std::string& key, int value)
{
    settings_.setValue(KeyOf(section, key), value);
    return Commit();
}

bool QSettingsStore::Commit()
{
    settings_.sync();
    return settings_.status() == QSettings::NoError;
}
