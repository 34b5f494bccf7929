// Stands in for a launched tool: writes down which program it is, its
// command line and window style, and tells the waiting test. A launched tool
// gets no arguments, so the test's process id comes in its environment.
#include "platform/win32/windows_api.h"

#include <cwchar>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    wchar_t id[16] = {}, module[MAX_PATH], temp[MAX_PATH + 1];
    GetEnvironmentVariableW(L"VARNO_MARKER", id, 16);
    const std::wstring name = L"varno-marker-" + std::wstring(id);
    // Held before telling the test, while it surely still runs.
    HANDLE test = OpenProcess(SYNCHRONIZE, FALSE, std::wcstoul(id, nullptr, 10));
    STARTUPINFOW startup{};
    GetStartupInfoW(&startup);
    const int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1;
    const std::wstring report = std::wstring(module, GetModuleFileNameW(nullptr, module, MAX_PATH))
                                + L"\n" + GetCommandLineW() + L"\n" + std::to_wstring(show);
    HANDLE file = CreateFileW((std::wstring(temp, GetTempPathW(MAX_PATH + 1, temp)) + name).c_str(),
                              GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, report.data(), DWORD(report.size() * sizeof(wchar_t)), &written, nullptr);
    CloseHandle(file);
    SetEvent(OpenEventW(EVENT_MODIFY_STATE, FALSE, (L"Local\\" + name).c_str()));
    // Runs on until the test ends: a launcher that waited for it would never return.
    return int(WaitForSingleObject(test, INFINITE));
}
