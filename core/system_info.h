#pragma once

#include "core/ports/registry.h"

#include <string>

namespace varno {

class FileQuery;
class Launcher;
class MessageBox;

inline constexpr const char* kSystemInfoUnavailable = "現時点ではｼｽﾃﾑ情報を使用できません";

// Where the system information tool is recorded: first the tool's own path,
// then the folder that holds MSINFO32.EXE.
inline constexpr const char* kToolPathKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
inline constexpr const char* kToolPathValue = "PATH";
inline constexpr const char* kToolFolderKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
inline constexpr const char* kToolFolderValue = "MSINFO";
inline constexpr const char* kToolProgram = "\\MSINFO32.EXE";

inline constexpr std::uint32_t kValueBufferSize = 1024;

struct SystemInfoServices {
    Registry& registry;
    FileQuery& fileQuery;
    Launcher& launcher;
    MessageBox& messageBox;
};

// Reads one value into `text`. False, with `text` emptied, when the key or
// value is missing, cannot be opened, or does not fit the 1024-byte buffer.
// A REG_SZ gives its text up to the first NUL, a REG_DWORD "&h" and eight
// upper-case hex digits; any other type leaves `text` as it was. Throws
// std::invalid_argument when the buffer comes back full without a NUL. The
// key is closed on every way out.
bool readRegistryText(Registry& registry, RegHandle root, const std::string& key,
                      const std::string& valueName, std::string& text);

// Finds the system information tool and starts it, or tells the user that
// it is unavailable. Never throws for anything the lookup or the start
// raises: that is what the message is for.
void launchSystemInformation(const SystemInfoServices& services);

}  // namespace varno
