#pragma once

#include "core/ports/settings_store.h"

#include <QString>

namespace varno::platform {

// QSettings' native format, one file per application in `folder` (by
// default $XDG_CONFIG_HOME, so <app>.conf sits where Qt keeps any
// application's settings). Anything but a regular file in its place is
// never opened: it counts as absent, and is not overwritten.
class QtSettingsStore final : public SettingsStore {
public:
    QtSettingsStore();
    explicit QtSettingsStore(QString folder);

    std::string read(const std::string& app, const std::string& section, const std::string& key,
                     const std::string& fallback) override;
    bool write(const std::string& app, const std::string& section, const Values& values) override;

private:
    QString filePath(const std::string& app) const;

    QString folder_;
};

}  // namespace varno::platform
