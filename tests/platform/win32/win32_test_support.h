#pragma once

// The Win32 tests rewrite machine-wide keys and the program's own settings,
// so they run only in the throwaway Wine prefix of windows-tests.sh, which
// also takes away whatever they leave behind.
#include "platform/win32/text_conversion.h"
#include "platform/win32/windows_api.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace varno::win32_testing {

using platform::win32::WideToUtf8;

inline std::wstring Widen(const std::string& utf8)
{
    return platform::win32::Utf8ToWide(utf8).value();
}

// A name with a form in the ANSI code page of the run, and none in ASCII.
inline std::wstring NonAscii()
{
    return GetACP() == 932 ? L"\u30c4\u30fc\u30eb" : L"Caf\u00e9";
}

// A new, empty folder in the temporary folder. Wine hands out process ids
// again, so numbers are tried until the folder is a new one.
inline std::wstring ScratchDir()
{
    wchar_t temp[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, temp);
    for (int n = 0;; ++n) {
        const std::wstring dir = temp + (L"varno-test-" + std::to_wstring(GetCurrentProcessId())) +
                                 L"-" + std::to_wstring(n);
        if (CreateDirectoryW(dir.c_str(), nullptr))
            return dir;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            throw std::runtime_error("cannot make a scratch folder");
    }
}

// A program built beside the tests.
inline std::wstring Beside(const wchar_t* name)
{
    wchar_t self[MAX_PATH];
    const std::wstring path(self, GetModuleFileNameW(nullptr, self, MAX_PATH));
    return path.substr(0, path.rfind(L'\\') + 1) + name;
}

// Runs a system tool such as reg.exe to its end; its exit code.
inline DWORD RunTool(std::wstring commandLine)
{
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        throw std::runtime_error("cannot run " + WideToUtf8(commandLine));
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

// The fixture of every test here.
class Win32 : public ::testing::Test {
protected:
    void SetUp() override
    {
        wchar_t value[2] = {};
        if (GetEnvironmentVariableW(L"VARNO_SCRATCH_WINEPREFIX", value, 2) != 1 || value[0] != L'1')
            GTEST_SKIP() << "rewrites the registry; run by scripts/windows-tests.sh";
    }
};

}  // namespace varno::win32_testing
