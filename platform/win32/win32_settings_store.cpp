#include "win32_settings_store.h"

#include "platform/win32/registry_handles.h"
#include "platform/win32/text_conversion.h"

#include <optional>
#include <utility>

namespace varno::platform::win32 {

namespace {

// Nothing for an empty part: the runtime refused those rather than reading
// or writing the section's parent key.
std::optional<std::wstring> sectionPath(const std::string& base, const std::string& appName,
                                        const std::string& section)
{
    if (appName.empty() || section.empty())
        return std::nullopt;
    return utf8ToWide(base + "\\" + appName + "\\" + section);
}

}  // namespace

Win32SettingsStore::Win32SettingsStore(RegHandle root, std::string base)
    : root_(root), base_(std::move(base))
{
}

std::string Win32SettingsStore::read(const std::string& app, const std::string& section, const std::string& key,
                                     const std::string& fallback)
{
    auto path = sectionPath(base_, app, section);
    auto name = utf8ToWide(key);
    if (!path || !name || key.empty())
        return fallback;

    // The value may change size between the two calls; try again then.
    for (int attempt = 0; attempt < 3; ++attempt) {
        DWORD size = 0;
        LSTATUS result = RegGetValueW(toHkey(root_), path->c_str(), name->c_str(), RRF_RT_REG_SZ,
                                      nullptr, nullptr, &size);
        // A value this large was never written by the program: it is no setting.
        if (result != ERROR_SUCCESS || size > kMaxSettingBytes)
            return fallback;
        std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
        size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
        result = RegGetValueW(toHkey(root_), path->c_str(), name->c_str(), RRF_RT_REG_SZ, nullptr,
                              text.data(), &size);
        if (result == ERROR_MORE_DATA)
            continue;
        if (result != ERROR_SUCCESS)
            return fallback;
        text.resize(size / sizeof(wchar_t));
        while (!text.empty() && text.back() == L'\0')
            text.pop_back();
        return wideToUtf8(text);
    }
    return fallback;
}

bool Win32SettingsStore::write(const std::string& app, const std::string& section, const Values& values)
{
    auto path = sectionPath(base_, app, section);
    if (!path)
        return false;
    HKEY handle = nullptr;
    if (RegCreateKeyExW(toHkey(root_), path->c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr,
                        &handle, nullptr) != ERROR_SUCCESS)
        return false;
    bool stored = true;
    for (const auto& [key, value] : values) {
        auto name = utf8ToWide(key);
        auto text = utf8ToWide(value);
        // Nothing the reader would turn away is written.
        if (!name || !text || key.empty() || (text->size() + 1) * sizeof(wchar_t) > kMaxSettingBytes) {
            stored = false;
            continue;
        }
        const auto bytes = static_cast<DWORD>((text->size() + 1) * sizeof(wchar_t));
        stored = RegSetValueExW(handle, name->c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text->c_str()),
                                bytes) == ERROR_SUCCESS && stored;
    }
    RegCloseKey(handle);
    return stored;
}

}  // namespace varno::platform::win32
