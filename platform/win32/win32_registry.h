#pragma once

#include "core/ports/registry.h"

namespace varno::platform::win32 {

// The registry through advapi32's ANSI entry points. Names arrive as UTF-8
// and go to the system in its ANSI code page; value data come back from it.
class Win32Registry final : public Registry {
public:
    long openKey(RegHandle root, const std::string& subKey, std::uint32_t options,
                 std::uint32_t access, RegHandle& handle) override;
    long queryValue(RegHandle handle, const std::string& valueName, std::uint32_t& type,
                    unsigned char* data, std::uint32_t& dataSize) override;
    long closeKey(RegHandle handle) override;
    std::string dataToText(const unsigned char* data, std::size_t size) const override;
};

}  // namespace varno::platform::win32
