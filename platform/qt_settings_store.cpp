#include "qt_settings_store.h"

#include <QSettings>
#include <QString>

namespace varno::platform {

namespace {

QString KeyPath(const std::string& section, const std::string& key)
{
    return QString::fromStdString(section) + u'/' + QString::fromStdString(key);
}

}  // namespace

std::string QtSettingsStore::GetSetting(const std::string& appName, const std::string& section,
                                        const std::string& key, const std::string& defaultValue)
{
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope,
                       QString::fromStdString(appName), QString());
    // A file that is garbage or cannot be read counts as absent.
    if (settings.status() != QSettings::NoError)
        return defaultValue;
    const QVariant value = settings.value(KeyPath(section, key));
    if (!value.isValid() || !value.canConvert<QString>())
        return defaultValue;
    return value.toString().toStdString();
}

bool QtSettingsStore::SaveSetting(const std::string& appName, const std::string& section,
                                  const std::string& key, const std::string& value)
{
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope,
                       QString::fromStdString(appName), QString());
    settings.setValue(KeyPath(section, key), QString::fromStdString(value));
    settings.sync();
    return settings.status() == QSettings::NoError;
}

}  // namespace varno::platform
