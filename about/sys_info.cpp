#include "about/sys_info.h"

#include "platform/file_query.h"
#include "platform/launcher.h"
#include "platform/message_box.h"

#include <array>
#include <cstdio>
#include <exception>
#include <stdexcept>

namespace varno::about {

namespace {

// "&h" and the number's eight hex digits. Formatting without a pattern is
// taken to leave this text as it is: it keeps every digit, has no sign
// question for the top bit, and nothing but a path is ever used anyway.
std::string DwordText(const unsigned char* data)
{
    const std::uint32_t value = static_cast<std::uint32_t>(data[0]) |
                                static_cast<std::uint32_t>(data[1]) << 8 |
                                static_cast<std::uint32_t>(data[2]) << 16 |
                                static_cast<std::uint32_t>(data[3]) << 24;
    char text[16];
    std::snprintf(text, sizeof text, "&h%08X", static_cast<unsigned>(value));
    return text;
}

}  // namespace

bool GetKeyValue(platform::Registry& registry, platform::RegHandle KeyRoot,
                 const std::string& KeyName, const std::string& SubKeyRef, std::string& KeyVal)
{
    platform::RegHandle hKey = 0;
    std::uint32_t KeyValType = 0;
    std::array<unsigned char, kValueBufferSize> tmpVal{};
    std::uint32_t KeyValSize = kValueBufferSize;

    const auto fail = [&] {
        KeyVal.clear();
        registry.CloseKey(hKey);  // hKey is still 0 when the open failed
        return false;
    };

    // Read rights are all this needs: asking for more locks out accounts
    // that may only read the machine's keys.
    if (registry.OpenKey(KeyRoot, KeyName, 0, platform::kKeyRead, hKey) != platform::kErrorSuccess)
        return fail();
    if (registry.QueryValue(hKey, SubKeyRef, KeyValType, tmpVal.data(), KeyValSize) !=
        platform::kErrorSuccess)
        return fail();

    std::string text;
    try {
        text = registry.DataToText(tmpVal.data(), tmpVal.size());
        const std::size_t end = text.find('\0');
        if (end == std::string::npos)
            throw std::invalid_argument("registry value fills its buffer without an end");
        text.resize(end);
    } catch (...) {
        registry.CloseKey(hKey);
        throw;
    }

    if (KeyValType == platform::kRegSz)
        KeyVal = text;
    else if (KeyValType == platform::kRegDword)
        KeyVal = DwordText(tmpVal.data());

    registry.CloseKey(hKey);
    return true;
}

namespace {

// True when the tool was started.
bool LaunchSysInfo(const SysInfoServices& services)
try {
    std::string SysInfoPath;
    if (!GetKeyValue(services.registry, platform::kHKeyLocalMachine, kSysInfoPathKey,
                     kSysInfoPathValue, SysInfoPath)) {
        if (!GetKeyValue(services.registry, platform::kHKeyLocalMachine, kSysInfoFolderKey,
                         kSysInfoFolderValue, SysInfoPath))
            return false;
        if (services.fileQuery.Dir(SysInfoPath + kSysInfoProgram, 0).empty())
            return false;
        SysInfoPath += kSysInfoProgram;
    }
    // The path is the program itself: never split at blanks, never handed
    // to a shell.
    services.launcher.Shell(SysInfoPath, platform::kNormalFocus);
    return true;
} catch (const std::exception&) {
    // Any failure on the way means the same to the user.
    return false;
}

}  // namespace

void StartSysInfo(const SysInfoServices& services)
{
    if (!LaunchSysInfo(services))
        services.messageBox.Show(kSysInfoUnavailable, platform::kMbOkOnly);
}

}  // namespace varno::about
