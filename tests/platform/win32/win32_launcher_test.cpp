#include "platform/win32/win32_launcher.h"

#include "platform/win32/windows_api.h"
#include "win32_test_support.h"

#include <gtest/gtest.h>

#include <ostream>

#include <stdexcept>

namespace varno::platform::win32 {
namespace {

using win32_testing::MarkerWatch;
using win32_testing::Narrow;
using win32_testing::ScratchDir;

struct StartCase {
    const char* name;
    const wchar_t* tool;   // where the marker tool is put, in the scratch folder
    const wchar_t* decoy;  // a program a split path would start instead, or null
    int windowStyle;
};

void PrintTo(const StartCase& c, std::ostream* os) { *os << c.name; }

class Win32LauncherStarts : public ::testing::TestWithParam<StartCase> {};

TEST_P(Win32LauncherStarts, TheWholePathWithTheStyleAndNoArguments)
{
    const StartCase& c = GetParam();
    ScratchDir dir;
    const std::wstring tool = dir.CopyMarkerTool(c.tool);
    if (c.decoy)
        dir.CopyMarkerTool(c.decoy);
    MarkerWatch watch(dir);

    Win32Launcher().Shell(Narrow(tool), c.windowStyle);

    // The system tidies the module's own name, not the command line.
    std::wstring module = tool;
    for (auto at = module.find(L"\\\\"); at != std::wstring::npos; at = module.find(L"\\\\"))
        module.erase(at, 1);
    const auto report = watch.Wait();
    EXPECT_EQ(Narrow(report.module), Narrow(module));
    EXPECT_EQ(Narrow(report.commandLine), Narrow(L"\"" + tool + L"\""));
    EXPECT_TRUE(report.startupFlags & STARTF_USESHOWWINDOW);
    EXPECT_EQ(report.showWindow, c.windowStyle);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, Win32LauncherStarts,
    ::testing::Values(
        StartCase{"Plain", L"MSINFO32.EXE", nullptr, kNormalFocus},
        // "...\Program Files\Tool.exe" unquoted on a command line starts
        // "...\Program.exe" first.
        StartCase{"SpacesWithADecoyAtTheSplit", L"Program Files\\Common Tools\\MSINFO32.EXE",
                  L"Program.exe", kNormalFocus},
        StartCase{"JapaneseFolder", L"\u30c4\u30fc\u30eb\\MSINFO32.EXE", nullptr, kNormalFocus},
        StartCase{"DoubledBackslash", L"tools\\\\MSINFO32.EXE", nullptr, kNormalFocus},
        StartCase{"OtherStyleIsPassedOn", L"MSINFO32.EXE", nullptr, SW_SHOWMINNOACTIVE}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Win32Launcher, NeitherWaitsNorKeepsHandles)
{
    // The tool stays running until Shell has returned: a Shell that waited
    // for it would never return.
    ScratchDir dir;
    const std::wstring tool = dir.CopyMarkerTool(L"MSINFO32.EXE");
    MarkerWatch watch(dir, MarkerWatch::kHoldUntilReleased);
    DWORD handlesBefore = 0, handlesAfter = 0;
    GetProcessHandleCount(GetCurrentProcess(), &handlesBefore);

    Win32Launcher().Shell(Narrow(tool), kNormalFocus);

    GetProcessHandleCount(GetCurrentProcess(), &handlesAfter);
    watch.Release();
    EXPECT_EQ(Narrow(watch.Wait().module), Narrow(tool));
    EXPECT_EQ(handlesAfter, handlesBefore);
}

struct FailCase {
    const char* name;
    const wchar_t* path;  // in the scratch folder; null for the empty path
    const char* content;  // file written there, or null for none
};

void PrintTo(const FailCase& c, std::ostream* os) { *os << c.name; }

class Win32LauncherFails : public ::testing::TestWithParam<FailCase> {};

TEST_P(Win32LauncherFails, Throws)
{
    const FailCase& c = GetParam();
    ScratchDir dir;
    std::string path;
    if (c.path) {
        path = Narrow(dir / c.path);
        if (c.content)
            dir.WriteFile(c.path, c.content);
        else if (std::wstring(c.path).back() == L'\\')
            dir.MakeDir(c.path);
    }
    EXPECT_THROW(Win32Launcher().Shell(path, kNormalFocus), std::runtime_error);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, Win32LauncherFails,
    ::testing::Values(FailCase{"Empty", nullptr, nullptr},
                      FailCase{"Missing", L"MSINFO32.EXE", nullptr},
                      FailCase{"Folder", L"MSINFO32.EXE\\", nullptr},
                      FailCase{"NotAProgram", L"MSINFO32.EXE", "this is no program\r\n"},
                      FailCase{"MissingFolder", L"gone\\MSINFO32.EXE", nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace varno::platform::win32
