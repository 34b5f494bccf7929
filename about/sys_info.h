#pragma once

#include "platform/registry.h"

#include <string>

namespace varno::platform {
class FileQuery;
class Launcher;
class MessageBox;
}  // namespace varno::platform

namespace varno::about {

inline constexpr const char* kSysInfoUnavailable = "現時点ではｼｽﾃﾑ情報を使用できません";

// Where the system information tool is recorded: first the tool's own path,
// then the folder that holds MSINFO32.EXE.
inline constexpr const char* kSysInfoPathKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
inline constexpr const char* kSysInfoPathValue = "PATH";
inline constexpr const char* kSysInfoFolderKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
inline constexpr const char* kSysInfoFolderValue = "MSINFO";
inline constexpr const char* kSysInfoProgram = "\\MSINFO32.EXE";

inline constexpr std::uint32_t kValueBufferSize = 1024;

struct SysInfoServices {
    platform::Registry& registry;
    platform::FileQuery& fileQuery;
    platform::Launcher& launcher;
    platform::MessageBox& messageBox;
};

// Reads one value into `KeyVal` as text. False, with `KeyVal` emptied, when
// the key or value is missing, cannot be opened, or does not fit the
// 1024-byte buffer. A REG_SZ gives its text up to the first NUL, a
// REG_DWORD "&h" and eight upper-case hex digits; any other type leaves
// `KeyVal` as it was. Throws std::invalid_argument when the buffer comes
// back full without a NUL. The key is closed on every way out.
bool GetKeyValue(platform::Registry& registry, platform::RegHandle KeyRoot,
                 const std::string& KeyName, const std::string& SubKeyRef, std::string& KeyVal);

// Finds the system information tool and starts it, or tells the user that
// it is unavailable. Never throws for anything the lookup or the start
// raises: that is what the message is for.
void StartSysInfo(const SysInfoServices& services);

}  // namespace varno::about
