#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace varno {

// Values and result codes as the Windows registry API defines them, so the
// code above this interface reads the same on every system.
using RegHandle = std::uintptr_t;

inline constexpr RegHandle kHKeyCurrentUser = 0x80000001u;
inline constexpr RegHandle kHKeyLocalMachine = 0x80000002u;

inline constexpr std::uint32_t kKeyRead = 0x20019u;

inline constexpr long kErrorSuccess = 0;
inline constexpr long kErrorFileNotFound = 2;
inline constexpr long kErrorAccessDenied = 5;
inline constexpr long kErrorInvalidHandle = 6;
inline constexpr long kErrorMoreData = 234;

inline constexpr std::uint32_t kRegNone = 0;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegMultiSz = 7;
inline constexpr std::uint32_t kRegQword = 11;

// The three registry calls with the Windows API's semantics: names are
// UTF-8 here and converted to the system's ANSI code page where the
// system needs it.
class Registry {
public:
    virtual ~Registry() = default;

    virtual long openKey(RegHandle root, const std::string& subKey, std::uint32_t options,
                         std::uint32_t access, RegHandle& handle) = 0;

    // `dataSize` is in/out: the buffer's size on the way in, the value's size
    // on the way out. A value larger than the buffer gives kErrorMoreData.
    virtual long queryValue(RegHandle handle, const std::string& valueName, std::uint32_t& type,
                            unsigned char* data, std::uint32_t& dataSize) = 0;

    virtual long closeKey(RegHandle handle) = 0;

    // Value data as text in the program's encoding (UTF-8), read in the
    // system's ANSI code page. The stored text on this system is UTF-8.
    virtual std::string dataToText(const unsigned char* data, std::size_t size) const
    {
        return std::string(reinterpret_cast<const char*>(data), size);
    }
};

}  // namespace varno
