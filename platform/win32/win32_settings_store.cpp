#include "win32_settings_store.h"

#include "registry_handles.h"
#include "text_conversion.h"

#include <optional>
#include <utility>

namespace varno::platform::win32 {

namespace {

// Nothing for an empty part: the runtime refused those rather than reading
// or writing the section's parent key.
std::optional<std::wstring> SectionPath(const std::string& base, const std::string& appName,
                                        const std::string& section)
{
    if (appName.empty() || section.empty())
        return std::nullopt;
    return Utf8ToWide(base + "\\" + appName + "\\" + section);
}

}  // namespace

Win32SettingsStore::Win32SettingsStore(RegHandle root, std::string base)
    : root_(root), base_(std::move(base))
{
}

std::string Win32SettingsStore::GetSetting(const std::string& appName, const std::string& section,
                                           const std::string& key, const std::string& defaultValue)
{
    auto path = SectionPath(base_, appName, section);
    auto name = Utf8ToWide(key);
    if (!path || !name || key.empty())
        return defaultValue;

    // The value may change size between the two calls; try again then.
    for (int attempt = 0; attempt < 3; ++attempt) {
        DWORD size = 0;
        LSTATUS result = RegGetValueW(ToHkey(root_), path->c_str(), name->c_str(), RRF_RT_REG_SZ,
                                      nullptr, nullptr, &size);
        if (result != ERROR_SUCCESS)
            return defaultValue;
        std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
        size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
        result = RegGetValueW(ToHkey(root_), path->c_str(), name->c_str(), RRF_RT_REG_SZ, nullptr,
                              text.data(), &size);
        if (result == ERROR_MORE_DATA)
            continue;
        if (result != ERROR_SUCCESS)
            return defaultValue;
        text.resize(size / sizeof(wchar_t));
        while (!text.empty() && text.back() == L'\0')
            text.pop_back();
        return WideToUtf8(text);
    }
    return defaultValue;
}

bool Win32SettingsStore::SaveSetting(const std::string& appName, const std::string& section,
                                     const std::string& key, const std::string& value)
{
    auto path = SectionPath(base_, appName, section);
    auto name = Utf8ToWide(key);
    auto text = Utf8ToWide(value);
    if (!path || !name || !text || key.empty())
        return false;

    HKEY handle = nullptr;
    if (RegCreateKeyExW(ToHkey(root_), path->c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE, nullptr, &handle, nullptr) != ERROR_SUCCESS)
        return false;
    const auto bytes = static_cast<DWORD>((text->size() + 1) * sizeof(wchar_t));
    const LSTATUS result = RegSetValueExW(handle, name->c_str(), 0, REG_SZ,
                                          reinterpret_cast<const BYTE*>(text->c_str()), bytes);
    RegCloseKey(handle);
    return result == ERROR_SUCCESS;
}

}  // namespace varno::platform::win32
