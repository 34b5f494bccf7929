#include "qt_settings_store.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <optional>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace varno::platform {

namespace {

QString keyPath(const std::string& section, const std::string& key)
{
    return QString::fromStdString(section) + u'/' + QString::fromStdString(key);
}

// Why the file in `path` must be left alone, or nothing when it is absent
// or a small regular file (through any links). Only its status is asked:
// opening a FIFO or a device would hang or worse.
std::optional<QString> reasonToLeaveAlone(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return info.isSymLink() ? std::optional<QString>(QStringLiteral("a link that leads nowhere or in a loop"))
                                : std::nullopt;
    if (info.isDir())
        return QStringLiteral("a folder, not a file");
    if (!info.isFile())
        return QStringLiteral("not a regular file");
    if (info.size() > kMaxSettingsFileBytes)
        return QStringLiteral("larger than %1 KiB").arg(kMaxSettingsFileBytes / 1024);
    return std::nullopt;
}

// At most the largest usable file's bytes, read without ever blocking: a
// FIFO put in its place since it was looked at is not waited on.
std::optional<QByteArray> readSmallFile(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return std::nullopt;
    struct stat status {};
    QByteArray bytes;
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) {
        bytes.resize(kMaxSettingsFileBytes + 1);
        qsizetype got = 0;
        while (got < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            got += n;
        }
        bytes.resize(got);
    } else {
        ::close(fd);
        return std::nullopt;
    }
    ::close(fd);
    if (bytes.size() > kMaxSettingsFileBytes)
        return std::nullopt;
    return bytes;
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

bool QtSettingsStore::usable(const QString& path)
{
    const auto why = reasonToLeaveAlone(path);
    if (!why)
        return true;
    if (!toldLeftAlone_) {
        toldLeftAlone_ = true;
        std::fprintf(stderr, "varno: %s: %s; the defaults are used, and the file is left as it is\n",
                     qPrintable(QDir::toNativeSeparators(path)), qPrintable(*why));
    }
    return false;
}

std::string QtSettingsStore::read(const std::string& app, const std::string& section, const std::string& key,
                                  const std::string& fallback)
{
    const QString path = filePath(app);
    if (!usable(path))
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
    if (!usable(path))
        return false;
    // Through a link, the file it leads to is the one replaced.
    const QFileInfo info(path);
    const QString target = info.exists() ? info.canonicalFilePath() : path;
    // The new file is made and checked beside the old one, then renamed
    // over it in one step: nothing a reader would turn away (a file grown
    // past the limit, a value that does not read back) ever takes its place.
    QDir().mkpath(QFileInfo(target).absolutePath());
    QTemporaryFile draft(target + QStringLiteral(".XXXXXX"));
    if (!draft.open())
        return false;
    if (info.exists()) {
        const auto old = readSmallFile(target);
        if (!old || draft.write(*old) != old->size())
            return false;
    }
    draft.close();
    {
        QSettings settings(draft.fileName(), QSettings::NativeFormat);
        for (const auto& [key, value] : values)
            settings.setValue(keyPath(section, key), QString::fromStdString(value));
        settings.sync();
    }
    // The status also carries what went wrong reading a damaged file that
    // has just been written over, so what counts is what a reader now finds.
    if (reasonToLeaveAlone(draft.fileName())) {
        std::fprintf(stderr, "varno: %s: would grow larger than %lld KiB; the file is left as it is\n",
                     qPrintable(QDir::toNativeSeparators(path)), static_cast<long long>(kMaxSettingsFileBytes / 1024));
        return false;
    }
    {
        const QSettings check(draft.fileName(), QSettings::NativeFormat);
        if (check.status() != QSettings::NoError)
            return false;
        for (const auto& [key, value] : values) {
            if (check.value(keyPath(section, key)).toString() != QString::fromStdString(value))
                return false;
        }
    }
    if (std::rename(QFile::encodeName(draft.fileName()).constData(), QFile::encodeName(target).constData()) != 0)
        return false;
    draft.setAutoRemove(false);
    return true;
}

}  // namespace varno::platform
