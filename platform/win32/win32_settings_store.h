#pragma once

#include "core/ports/registry.h"
#include "core/ports/settings_store.h"

namespace varno::platform::win32 {

// Where the classic runtime kept every program's GetSetting/SaveSetting
// values: <root>\<base>\<app>\<section>, one REG_SZ value per key.
inline constexpr const char* kClassicSettingsBase = "Software\\VB and VBA Program Settings";

// A stored value larger than this, terminator included, counts as absent:
// the program's own values are a few bytes.
inline constexpr unsigned long kMaxSettingBytes = 1024;

// Uses the wide-character API throughout, so an application name like the
// program's Japanese title is stored the same under every ANSI code page.
class Win32SettingsStore final : public SettingsStore {
public:
    explicit Win32SettingsStore(RegHandle root = kHKeyCurrentUser,
                                std::string base = kClassicSettingsBase);

    std::string read(const std::string& app, const std::string& section, const std::string& key,
                     const std::string& fallback) override;
    bool write(const std::string& app, const std::string& section, const Values& values) override;

private:
    RegHandle root_;
    std::string base_;
};

}  // namespace varno::platform::win32
