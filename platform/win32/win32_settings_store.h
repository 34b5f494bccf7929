#pragma once

#include "platform/registry.h"
#include "platform/settings_store.h"

namespace varno::platform::win32 {

// Where the classic runtime kept every program's GetSetting/SaveSetting
// values: <root>\<base>\<app>\<section>, one REG_SZ value per key.
inline constexpr const char* kClassicSettingsBase = "Software\\VB and VBA Program Settings";

// Uses the wide-character API throughout, so an application name like the
// program's Japanese title is stored the same under every ANSI code page.
class Win32SettingsStore : public SettingsStore {
public:
    explicit Win32SettingsStore(RegHandle root = kHKeyCurrentUser,
                                std::string base = kClassicSettingsBase);

    std::string GetSetting(const std::string& appName, const std::string& section,
                           const std::string& key, const std::string& defaultValue) override;
    bool SaveSetting(const std::string& appName, const std::string& section, const std::string& key,
                     const std::string& value) override;

private:
    RegHandle root_;
    std::string base_;
};

}  // namespace varno::platform::win32
