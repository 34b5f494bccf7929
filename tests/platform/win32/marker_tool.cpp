// Stands in for a launched tool: writes down which program it is, its
// command line and window style, and tells the waiting test. A launched tool
// gets no arguments, so the test's process id comes in its environment.
#include "platform/win32/windows_api.h"

#include <cwchar>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    wchar_t id[16] = {};
    GetEnvironmentVariableW(L"VARNO_MARKER", id, 16);
    const std::wstring name = L"varno-marker-" + std::wstring(id);
    // Held before telling the test, while it surely still runs.
    HANDLE test = OpenProcess(SYNCHRONIZE, FALSE, std::wcstoul(id, nullptr, 10));

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    const int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1;
    wchar_t module[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, module, MAX_PATH);
    const std::wstring report = std::wstring(module, length) + L"\n" + GetCommandLineW() + L"\n" +
                                std::to_wstring(show);
    wchar_t temp[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, temp);
    HANDLE file =
        CreateFileW((temp + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, report.data(), static_cast<DWORD>(report.size() * sizeof(wchar_t)), &written,
              nullptr);
    CloseHandle(file);
    SetEvent(OpenEventW(EVENT_MODIFY_STATE, FALSE, (L"Local\\" + name).c_str()));

    // Runs on until the test ends: a launcher that waited for it would never return.
    WaitForSingleObject(test, INFINITE);
    return 0;
}
