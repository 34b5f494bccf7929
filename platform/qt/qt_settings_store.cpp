#include "qt_settings_store.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace varno::platform {

namespace {

QString keyPath(const std::string& section, const std::string& key)
{
    return QString::fromStdString(section) + u'/' + QString::fromStdString(key);
}

// Absent, or a regular file (through any symbolic links): opening a FIFO
// or a device would hang or worse.
bool safeToOpen(const QString& path)
{
    const QFileInfo info(path);
    return !info.exists() || info.isFile();
}

}  // namespace

QtSettingsStore::QtSettingsStore()
    : QtSettingsStore(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
{
}

QtSettingsStore::QtSettingsStore(QString folder) : folder_(std::move(folder)) {}

QString QtSettingsStore::filePath(const std::string& app) const
{
    return QDir(folder_).filePath(QString::fromStdString(app) + QStringLiteral(".conf"));
}

std::string QtSettingsStore::read(const std::string& app, const std::string& section, const std::string& key,
                                  const std::string& fallback)
{
    const QString path = filePath(app);
    if (!safeToOpen(path))
        return fallback;
    const QSettings settings(path, QSettings::NativeFormat);
    const QVariant value = settings.value(keyPath(section, key));
    // A file that is garbage or cannot be read counts as absent. Some damage
    // is only found while a value is looked up, so the status comes after.
    if (settings.status() != QSettings::NoError || !value.isValid() || !value.canConvert<QString>())
        return fallback;
    return value.toString().toStdString();
}

bool QtSettingsStore::write(const std::string& app, const std::string& section, const Values& values)
{
    const QString path = filePath(app);
    if (!safeToOpen(path))
        return false;
    {
        // One sync: QSettings replaces the whole file at once (a new file
        // renamed over the old), under its lock file.
        QSettings settings(path, QSettings::NativeFormat);
        for (const auto& [key, value] : values)
            settings.setValue(keyPath(section, key), QString::fromStdString(value));
        settings.sync();
    }
    // The status also carries what went wrong reading a damaged file that
    // has just been written over, so what counts is what a reader now finds.
    const QSettings check(path, QSettings::NativeFormat);
    if (check.status() != QSettings::NoError)
        return false;
    for (const auto& [key, value] : values) {
        if (check.value(keyPath(section, key)).toString() != QString::fromStdString(value))
            return false;
    }
    return true;
}

}  // namespace varno::platform
