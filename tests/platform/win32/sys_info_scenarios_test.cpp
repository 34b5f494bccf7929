// The system information launcher with the real Win32 services: each
// scenario is written into the registry with regedit, as an installation
// would leave it, and only the message box is a stand-in.
#include "about/sys_info.h"

#include "platform/win32/win32_file_query.h"
#include "platform/win32/win32_launcher.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/windows_api.h"
#include "support/fake_services.h"
#include "win32_test_support.h"

#include <gtest/gtest.h>

#include <ostream>

#include <cstdio>
#include <optional>
#include <vector>

namespace varno::about {
namespace {

using namespace win32_testing;

// Replaced by the scenario's scratch folder.
constexpr std::wstring_view kDir = L"{dir}";
// Replaced by a folder name with a form in the ANSI code page of the run.
constexpr std::wstring_view kNonAscii = L"{non-ascii}";

std::wstring NonAsciiFolder()
{
    return GetACP() == 932 ? L"\u30c4\u30fc\u30eb" : L"Caf\u00e9";
}

std::wstring Expand(std::wstring text, const std::wstring& dir)
{
    for (auto at = text.find(kDir); at != std::wstring::npos; at = text.find(kDir))
        text.replace(at, kDir.size(), dir);
    for (auto at = text.find(kNonAscii); at != std::wstring::npos; at = text.find(kNonAscii))
        text.replace(at, kNonAscii.size(), NonAsciiFolder());
    return text;
}

struct Value {
    DWORD type;
    std::wstring text;                 // for the text types
    std::vector<unsigned char> bytes;  // for the others
};

Value Sz(std::wstring text) { return {REG_SZ, std::move(text), {}}; }
Value ExpandSz(std::wstring text) { return {REG_EXPAND_SZ, std::move(text), {}}; }
Value Binary(std::vector<unsigned char> bytes) { return {REG_BINARY, {}, std::move(bytes)}; }

// One line of a .reg file: every type written as hex(type), text as UTF-16.
std::wstring RegLine(const wchar_t* name, const Value& value, const std::wstring& dir)
{
    std::vector<unsigned char> bytes = value.bytes;
    if (value.type == REG_SZ || value.type == REG_EXPAND_SZ) {
        const std::wstring text = Expand(value.text, dir);
        const auto* data = reinterpret_cast<const unsigned char*>(text.c_str());
        bytes.assign(data, data + (text.size() + 1) * sizeof(wchar_t));
    }
    std::wstring line = L"\"" + std::wstring(name) + L"\"=hex(" + std::to_wstring(value.type) + L"):";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        wchar_t byte[4];
        std::swprintf(byte, 4, L"%02x", bytes[i]);
        line += (i ? L"," : L"") + std::wstring(byte);
    }
    return line;
}

const wchar_t* const kPathKey = L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const wchar_t* const kFolderKey = L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools Location";

// Both places removed, then set as the scenario says, in one regedit run.
void SeedRegistry(const ScratchDir& dir, const std::optional<Value>& path,
                  const std::optional<Value>& folder)
{
    std::wstring reg = L"\ufeffWindows Registry Editor Version 5.00\r\n\r\n";
    reg += L"[-" + std::wstring(kPathKey) + L"]\r\n\r\n[-" + kFolderKey + L"]\r\n\r\n";
    if (path)
        reg += L"[" + std::wstring(kPathKey) + L"]\r\n" + RegLine(L"PATH", *path, dir.Path()) + L"\r\n\r\n";
    if (folder)
        reg += L"[" + std::wstring(kFolderKey) + L"]\r\n" + RegLine(L"MSINFO", *folder, dir.Path()) +
               L"\r\n\r\n";
    const auto* bytes = reinterpret_cast<const char*>(reg.data());
    const std::wstring file =
        dir.WriteFile(L"scenario.reg", std::string(bytes, reg.size() * sizeof(wchar_t)));
    ASSERT_EQ(RunAndWait(L"regedit.exe /S \"" + file + L"\""), 0u);
}

struct Scenario {
    const char* name;
    std::optional<Value> path;    // first place: ...\Shared Tools\MSINFO, "PATH"
    std::optional<Value> folder;  // second place: ...\Shared Tools Location, "MSINFO"
    std::vector<const wchar_t*> tools;  // where marker tools are put, under {dir}
    const wchar_t* launched;  // the command line's path, or null when the message is expected
};

void PrintTo(const Scenario& c, std::ostream* os) { *os << c.name; }

// Both places hold usable tools in some scenarios below, so that the one
// started shows which place was read.
const std::vector<unsigned char> kFull(1024, 'x');

const Scenario kScenarios[] = {
    {"FirstPlaceProgram", Sz(L"{dir}\\msinfo\\MSINFO32.EXE"), Sz(L"{dir}\\tools"),
     {L"msinfo\\MSINFO32.EXE", L"tools\\MSINFO32.EXE"}, L"{dir}\\msinfo\\MSINFO32.EXE"},
    {"FirstPlaceMissingFileDoesNotTryTheSecond", Sz(L"{dir}\\gone\\MSINFO32.EXE"),
     Sz(L"{dir}\\tools"), {L"tools\\MSINFO32.EXE"}, nullptr},
    {"SecondPlaceFolder", std::nullopt, Sz(L"{dir}\\tools"), {L"tools\\MSINFO32.EXE"},
     L"{dir}\\tools\\MSINFO32.EXE"},
    {"SecondPlaceFolderWithoutTheTool", std::nullopt, Sz(L"{dir}\\tools"), {}, nullptr},
    {"NeitherPlace", std::nullopt, std::nullopt, {L"tools\\MSINFO32.EXE"}, nullptr},
    {"FirstPlaceExpandSzIsAnEmptyPath", ExpandSz(L"{dir}\\tools\\MSINFO32.EXE"), Sz(L"{dir}\\tools"),
     {L"tools\\MSINFO32.EXE"}, nullptr},
    {"TextAfterAnEmbeddedNulIsIgnored", Sz(std::wstring(L"{dir}\\tools\\MSINFO32.EXE\0junk", 32)),
     std::nullopt, {L"tools\\MSINFO32.EXE"}, L"{dir}\\tools\\MSINFO32.EXE"},
    {"FolderEndingInABackslashGivesTwo", std::nullopt, Sz(L"{dir}\\tools\\"),
     {L"tools\\MSINFO32.EXE"}, L"{dir}\\tools\\\\MSINFO32.EXE"},
    {"SpacesWithADecoyAtTheSplit", Sz(L"{dir}\\Program Files\\Common Files\\MSINFO32.EXE"),
     std::nullopt, {L"Program Files\\Common Files\\MSINFO32.EXE", L"Program.exe"},
     L"{dir}\\Program Files\\Common Files\\MSINFO32.EXE"},
    {"NonAsciiFolderThroughTheAnsiCodePage", std::nullopt, Sz(L"{dir}\\{non-ascii}"),
     {L"{non-ascii}\\MSINFO32.EXE"}, L"{dir}\\{non-ascii}\\MSINFO32.EXE"},
    {"FirstPlaceTooLongCountsAsAbsent", Sz(std::wstring(1100, L'x')), Sz(L"{dir}\\tools"),
     {L"tools\\MSINFO32.EXE"}, L"{dir}\\tools\\MSINFO32.EXE"},
    {"FullBufferWithoutAnEndStopsAtOnce", Binary(kFull), Sz(L"{dir}\\tools"),
     {L"tools\\MSINFO32.EXE"}, nullptr},
};

class SysInfoScenario : public ::testing::TestWithParam<Scenario> {};

TEST_P(SysInfoScenario, StartsTheToolOrTellsTheUser)
{
    if (!InScratchPrefix())
        GTEST_SKIP() << "rewrites machine-wide registry keys; run by windows-tests.sh";
    const Scenario& s = GetParam();
    ScratchDir dir;
    for (const wchar_t* tool : s.tools)
        dir.CopyMarkerTool(Expand(tool, L""));
    ASSERT_NO_FATAL_FAILURE(SeedRegistry(dir, s.path, s.folder));
    MarkerWatch watch(dir);

    platform::win32::Win32Registry registry;
    platform::win32::Win32FileQuery fileQuery;
    platform::win32::Win32Launcher launcher;
    testing_support::FakeMessageBox messageBox;
    StartSysInfo({registry, fileQuery, launcher, messageBox});

    if (s.launched) {
        EXPECT_TRUE(messageBox.shown.empty());
        const std::wstring expected = Expand(s.launched, dir.Path());
        EXPECT_EQ(Narrow(watch.Wait().commandLine), Narrow(L"\"" + expected + L"\""));
    } else {
        // A launch cannot have happened: Shell returns only after the start
        // failed or succeeded, and success would have left no message.
        ASSERT_EQ(messageBox.shown.size(), 1u);
        EXPECT_EQ(messageBox.shown[0].first, kSysInfoUnavailable);
        EXPECT_EQ(messageBox.shown[0].second, platform::kMbOkOnly);
    }
}

INSTANTIATE_TEST_SUITE_P(Registry, SysInfoScenario, ::testing::ValuesIn(kScenarios),
                         [](const auto& info) { return std::string(info.param.name); });

// A folder value of another type leaves the folder text empty, so the
// query asks for "\MSINFO32.EXE": the root of the current drive.
TEST(SysInfoScenarioRoot, SecondPlaceOfAnotherTypeLooksInTheRootOfTheDrive)
{
    if (!InScratchPrefix())
        GTEST_SKIP() << "writes into the root of drive C:; run by windows-tests.sh";
    ScratchDir dir;
    const std::wstring root = dir.Path().substr(0, 2) + L"\\MSINFO32.EXE";
    DeleteFileW(root.c_str());  // left by an earlier run whose tool was still running
    ASSERT_EQ(GetFileAttributesW(root.c_str()), INVALID_FILE_ATTRIBUTES);
    ASSERT_NO_FATAL_FAILURE(SeedRegistry(dir, std::nullopt, Binary({'C', ':', 0})));
    wchar_t previous[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryW(dir.Path().c_str()));

    platform::win32::Win32Registry registry;
    platform::win32::Win32FileQuery fileQuery;
    platform::win32::Win32Launcher launcher;

    testing_support::FakeMessageBox without;
    StartSysInfo({registry, fileQuery, launcher, without});
    EXPECT_EQ(without.shown.size(), 1u);

    ASSERT_TRUE(CopyFileW((ProgramFolder() + L"\\marker_tool.exe").c_str(), root.c_str(), FALSE));
    MarkerWatch watch(dir);
    testing_support::FakeMessageBox with;
    StartSysInfo({registry, fileQuery, launcher, with});
    EXPECT_TRUE(with.shown.empty());
    EXPECT_EQ(Narrow(watch.Wait().commandLine), "\"\\MSINFO32.EXE\"");

    DeleteFileW(root.c_str());
    SetCurrentDirectoryW(previous);
}

}  // namespace
}  // namespace varno::about
