#pragma once

#include <string>

namespace varno::platform {

// Per-user store of text values addressed by application, section and key.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    // Returns `defaultValue` when the key is absent or the store cannot be read.
    virtual std::string GetSetting(const std::string& appName, const std::string& section,
                                   const std::string& key, const std::string& defaultValue) = 0;

    // Creates or replaces the value. Returns false when it could not be stored.
    virtual bool SaveSetting(const std::string& appName, const std::string& section,
                             const std::string& key, const std::string& value) = 0;
};

}  // namespace varno::platform
