// Stands in for a launched tool: writes down how it was started and tells
// the waiting test. Where to write and whom to tell come from its
// environment, because a launched tool gets no arguments.
#include "platform/win32/windows_api.h"

#include <string>

namespace {

std::wstring Variable(const wchar_t* name)
{
    wchar_t buffer[1024];
    const DWORD length = GetEnvironmentVariableW(name, buffer, 1024);
    return length > 0 && length < 1024 ? std::wstring(buffer, length) : std::wstring();
}

}  // namespace

int main()
{
    const std::wstring file = Variable(L"VARNO_MARKER_FILE");
    const std::wstring event = Variable(L"VARNO_MARKER_EVENT");
    if (file.empty() || event.empty())
        return 2;

    wchar_t module[MAX_PATH * 4];
    const DWORD moduleLength = GetModuleFileNameW(nullptr, module, MAX_PATH * 4);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);

    // One field a line, as UTF-16 so that any path survives.
    std::wstring report = std::wstring(module, moduleLength) + L"\n" + GetCommandLineW() + L"\n" +
                          std::to_wstring(startup.dwFlags) + L"\n" +
                          std::to_wstring(startup.wShowWindow) + L"\n";
    HANDLE out = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE)
        return 3;
    DWORD written = 0;
    const auto bytes = static_cast<DWORD>(report.size() * sizeof(wchar_t));
    const bool ok = WriteFile(out, report.data(), bytes, &written, nullptr) && written == bytes;
    CloseHandle(out);

    HANDLE done = OpenEventW(EVENT_MODIFY_STATE, FALSE, event.c_str());
    if (done) {
        SetEvent(done);
        CloseHandle(done);
    }
    // Held: stay running until the test says so.
    const std::wstring release = Variable(L"VARNO_MARKER_RELEASE");
    if (!release.empty()) {
        if (HANDLE held = OpenEventW(SYNCHRONIZE, FALSE, release.c_str())) {
            WaitForSingleObject(held, INFINITE);
            CloseHandle(held);
        }
    }
    return ok ? 0 : 4;
}
