#pragma once

#include "platform/settings_store.h"

namespace varno::platform {

// QSettings in its native format, per user, with the application name as the
// organisation and no application: on Linux $XDG_CONFIG_HOME/<app>.conf.
class QtSettingsStore final : public SettingsStore {
public:
    std::string GetSetting(const std::string& appName, const std::string& section,
                           const std::string& key, const std::string& defaultValue) override;
    bool SaveSetting(const std::string& appName, const std::string& section,
                     const std::string& key, const std::string& value) override;
};

}  // namespace varno::platform
