#include "win32_registry.h"

#include "registry_handles.h"
#include "text_conversion.h"

namespace varno::platform::win32 {

long Win32Registry::OpenKey(RegHandle root, const std::string& subKey, std::uint32_t options,
                            std::uint32_t access, RegHandle& handle)
{
    handle = 0;
    auto name = Utf8ToAnsi(subKey);
    if (!name)
        return kErrorFileNotFound;
    HKEY key = nullptr;
    const LSTATUS result = RegOpenKeyExA(ToHkey(root), name->c_str(), options, access, &key);
    if (result == ERROR_SUCCESS)
        handle = reinterpret_cast<RegHandle>(key);
    return result;
}

long Win32Registry::QueryValue(RegHandle handle, const std::string& valueName, std::uint32_t& type,
                               unsigned char* data, std::uint32_t& dataSize)
{
    auto name = Utf8ToAnsi(valueName);
    if (!name)
        return kErrorFileNotFound;
    DWORD valueType = type;
    DWORD size = dataSize;
    const LSTATUS result =
        RegQueryValueExA(ToHkey(handle), name->c_str(), nullptr, &valueType, data, &size);
    type = valueType;
    dataSize = size;
    return result;
}

long Win32Registry::CloseKey(RegHandle handle)
{
    return RegCloseKey(ToHkey(handle));
}

std::string Win32Registry::DataToText(const unsigned char* data, std::size_t size) const
{
    return AnsiToUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
}

}  // namespace varno::platform::win32
