#pragma once

// The Win32 tests rewrite machine-wide keys and the program's own settings,
// so they run only in the throwaway Wine prefix of windows-tests.sh.
#include "platform/win32/text_conversion.h"
#include "platform/win32/windows_api.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>
#include <string>

namespace varno::win32_testing {

using platform::win32::wideToUtf8;

// A name with a form in the ANSI code page of the run, and none in ASCII.
inline std::wstring NonAscii() { return GetACP() == 932 ? L"\u30c4\u30fc\u30eb" : L"Caf\u00e9"; }

// A new, empty folder, with its backslash. The temporary file keeps its name
// from any other test, and so the folder's too.
inline std::wstring ScratchDir()
{
    wchar_t temp[MAX_PATH + 1], file[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, temp);
    GetTempFileNameW(temp, L"vrn", 0, file);
    const std::wstring dir = file + std::wstring(L"d\\");
    if (!CreateDirectoryW(dir.c_str(), nullptr))
        throw std::runtime_error("cannot make a scratch folder");
    return dir;
}

// The marker tool, built beside the tests.
inline std::wstring MarkerTool()
{
    wchar_t self[MAX_PATH];
    const std::wstring path(self, GetModuleFileNameW(nullptr, self, MAX_PATH));
    return path.substr(0, path.rfind(L'\\') + 1) + L"marker_tool.exe";
}

// Runs a system tool such as reg.exe to its end; its exit code.
inline int RunTool(const std::wstring& command) { return _wsystem(command.c_str()); }

class Win32 : public ::testing::Test {
    void SetUp() override
    {
        if (!std::getenv("VARNO_SCRATCH_WINEPREFIX"))
            GTEST_SKIP() << "rewrites the registry; run by scripts/windows-tests.sh";
    }
};

}  // namespace varno::win32_testing
