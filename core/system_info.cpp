#include "system_info.h"

#include "core/ports/file_query.h"
#include "core/ports/launcher.h"
#include "core/ports/message_box.h"

#include <array>
#include <cstdio>
#include <exception>
#include <stdexcept>

namespace varno {

namespace {

// "&h" and the number's eight hex digits. Formatting without a pattern is
// taken to leave this text as it is: it keeps every digit, has no sign
// question for the top bit, and nothing but a path is ever used anyway.
std::string dwordText(const unsigned char* data)
{
    const std::uint32_t value = static_cast<std::uint32_t>(data[0]) |
                                static_cast<std::uint32_t>(data[1]) << 8 |
                                static_cast<std::uint32_t>(data[2]) << 16 |
                                static_cast<std::uint32_t>(data[3]) << 24;
    char text[16];
    std::snprintf(text, sizeof text, "&h%08X", static_cast<unsigned>(value));
    return text;
}

// True when the tool was started.
bool startTool(const SystemInfoServices& services)
try {
    std::string toolPath;
    if (!readRegistryText(services.registry, kHKeyLocalMachine, kToolPathKey, kToolPathValue, toolPath)) {
        if (!readRegistryText(services.registry, kHKeyLocalMachine, kToolFolderKey, kToolFolderValue, toolPath))
            return false;
        // Plain concatenation: a folder ending in a backslash keeps it.
        if (services.fileQuery.find(toolPath + kToolProgram, 0).empty())
            return false;
        toolPath += kToolProgram;
    }
    // The path is the program itself: never split at blanks, never handed
    // to a shell.
    services.launcher.start(toolPath, kNormalFocus);
    return true;
} catch (const std::exception&) {
    // Any failure on the way means the same to the user.
    return false;
}

}  // namespace

bool readRegistryText(Registry& registry, RegHandle root, const std::string& key,
                      const std::string& valueName, std::string& text)
{
    RegHandle handle = 0;
    std::uint32_t type = 0;
    std::array<unsigned char, kValueBufferSize> buffer{};
    std::uint32_t size = kValueBufferSize;

    const auto fail = [&] {
        text.clear();
        registry.closeKey(handle);  // still 0 when the open failed
        return false;
    };

    // Read rights are all this needs: asking for more locks out accounts
    // that may only read the machine's keys.
    if (registry.openKey(root, key, 0, kKeyRead, handle) != kErrorSuccess)
        return fail();
    if (registry.queryValue(handle, valueName, type, buffer.data(), size) != kErrorSuccess)
        return fail();

    std::string data;
    try {
        data = registry.dataToText(buffer.data(), buffer.size());
        const std::size_t end = data.find('\0');
        if (end == std::string::npos)
            throw std::invalid_argument("registry value fills its buffer without an end");
        data.resize(end);
    } catch (...) {
        registry.closeKey(handle);
        throw;
    }

    if (type == kRegSz)
        text = data;
    else if (type == kRegDword)
        text = dwordText(buffer.data());

    registry.closeKey(handle);
    return true;
}

void launchSystemInformation(const SystemInfoServices& services)
{
    if (!startTool(services))
        services.messageBox.show(kSystemInfoUnavailable, kMessageOkOnly);
}

}  // namespace varno
