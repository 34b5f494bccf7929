#pragma once

#include "platform/registry.h"

namespace varno::platform::win32 {

// The registry through advapi32's ANSI entry points. Names arrive as UTF-8
// and go to the system in its ANSI code page; value data come back from it.
class Win32Registry : public Registry {
public:
    long OpenKey(RegHandle root, const std::string& subKey, std::uint32_t options,
                 std::uint32_t access, RegHandle& handle) override;
    long QueryValue(RegHandle handle, const std::string& valueName, std::uint32_t& type,
                    unsigned char* data, std::uint32_t& dataSize) override;
    long CloseKey(RegHandle handle) override;
    std::string DataToText(const unsigned char* data, std::size_t size) const override;
};

}  // namespace varno::platform::win32
