#include "win32_launcher.h"

#include "platform/win32/system_error_text.h"
#include "platform/win32/text_conversion.h"
#include "platform/win32/windows_api.h"

#include <stdexcept>

namespace varno::platform::win32 {

void Win32Launcher::start(const std::string& program, int windowStyle)
{
    auto path = utf8ToWide(program);
    if (!path || path->empty())
        throw std::runtime_error("cannot start \"" + program + "\": no program path");

    // The child still parses its own command line: quoted, its first
    // argument is the whole path. A path cannot itself hold a quote.
    std::wstring commandLine = L"\"" + *path + L"\"";

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(windowStyle);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(path->c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process))
        throw std::runtime_error("cannot start \"" + program + "\": " + systemErrorText(GetLastError()));

    // Nobody waits for the tool or asks how it ended.
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

}  // namespace varno::platform::win32
