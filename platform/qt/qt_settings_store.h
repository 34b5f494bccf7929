#pragma once

#include "core/ports/settings_store.h"

#include <QString>

namespace varno::platform {

// Far more than the program's four values ever take: a larger file is none
// of the program's writing, and parsing it would cost seconds and memory
// in proportion to it.
inline constexpr qint64 kMaxSettingsFileBytes = 64 * 1024;

// QSettings' native format, one file per application in `folder` (by
// default $XDG_CONFIG_HOME, so <app>.conf sits where Qt keeps any
// application's settings). Anything but a regular file of at most
// kMaxSettingsFileBytes in its place (a folder, a FIFO, a link that leads
// nowhere or in a loop, a larger file) is never opened: it counts as
// absent, is not overwritten, and one line on stderr says why.
class QtSettingsStore final : public SettingsStore {
public:
    QtSettingsStore();
    explicit QtSettingsStore(QString folder);

    std::string read(const std::string& app, const std::string& section, const std::string& key,
                     const std::string& fallback) override;
    bool write(const std::string& app, const std::string& section, const Values& values) override;

private:
    QString filePath(const std::string& app) const;
    // The file, or nothing when it is to be left alone (said once).
    bool usable(const QString& path);

    QString folder_;
    bool toldLeftAlone_ = false;
};

}  // namespace varno::platform
