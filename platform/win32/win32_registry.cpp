#include "win32_registry.h"

#include "platform/win32/registry_handles.h"
#include "platform/win32/text_conversion.h"

namespace varno::platform::win32 {

long Win32Registry::openKey(RegHandle root, const std::string& subKey, std::uint32_t options,
                            std::uint32_t access, RegHandle& handle)
{
    handle = 0;
    auto name = utf8ToAnsi(subKey);
    if (!name)
        return kErrorFileNotFound;
    HKEY key = nullptr;
    const LSTATUS result = RegOpenKeyExA(toHkey(root), name->c_str(), options, access, &key);
    if (result == ERROR_SUCCESS)
        handle = reinterpret_cast<RegHandle>(key);
    return result;
}

long Win32Registry::queryValue(RegHandle handle, const std::string& valueName, std::uint32_t& type,
                               unsigned char* data, std::uint32_t& dataSize)
{
    auto name = utf8ToAnsi(valueName);
    if (!name)
        return kErrorFileNotFound;
    DWORD valueType = type;
    DWORD size = dataSize;
    const LSTATUS result =
        RegQueryValueExA(toHkey(handle), name->c_str(), nullptr, &valueType, data, &size);
    type = valueType;
    dataSize = size;
    return result;
}

long Win32Registry::closeKey(RegHandle handle)
{
    return RegCloseKey(toHkey(handle));
}

std::string Win32Registry::dataToText(const unsigned char* data, std::size_t size) const
{
    return ansiToUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
}

}  // namespace varno::platform::win32
