// The system information launcher over the real Win32 services: each
// scenario is written into the registry with regedit, as an installation
// would leave it, and only the message box is a stand-in.
#include "about/sys_info.h"

#include "platform/win32/win32_file_query.h"
#include "platform/win32/win32_launcher.h"
#include "platform/win32/win32_registry.h"
#include "support/fake_services.h"
#include "win32_test_support.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace varno::about {
namespace {

using namespace win32_testing;

struct Value {
    DWORD type = REG_NONE;  // REG_NONE: the value is not there at all
    std::wstring text;      // below the scenario's folder
};

// A .reg file section: the key removed, then made again holding the value.
std::wstring RegSection(const wchar_t* key, const wchar_t* name, const Value& value,
                        const std::wstring& dir)
{
    std::wstring section = L"[-" + std::wstring(key) + L"]\r\n\r\n";
    if (value.type == REG_NONE)
        return section;
    // Written as hex(type): UTF-16 with its end, so no escaping is needed.
    section += L"[" + std::wstring(key) + L"]\r\n\"" + name + L"\"=hex(" +
               std::to_wstring(value.type) + L"):";
    for (wchar_t c : dir + value.text + L'\0') {
        wchar_t bytes[8];
        std::swprintf(bytes, 8, L"%02x,%02x,", c & 0xff, c >> 8);
        section += bytes;
    }
    section.back() = L'\r';
    return section + L"\n\r\n";
}

struct Scenario {
    const char* name;
    Value path;    // ...\Shared Tools\MSINFO, "PATH"
    Value folder;  // ...\Shared Tools Location, "MSINFO"
    std::vector<std::wstring> tools;  // where marker tools are put
    std::wstring launched;  // the path started, or empty when the message is expected
};

TEST_F(Win32, SysInfoStartsTheToolOrTellsTheUser)
{
    const std::wstring spaces = L"Program Files\\Common Files\\MSINFO32.EXE";
    const std::wstring na = NonAscii() + L"\\MSINFO32.EXE";
    // Where both places hold a tool, the one started shows which place was read.
    const Scenario scenarios[] = {
        {"first place", {REG_SZ, L"msinfo\\MSINFO32.EXE"}, {REG_SZ, L"tools"},
         {L"msinfo\\MSINFO32.EXE", L"tools\\MSINFO32.EXE"}, L"msinfo\\MSINFO32.EXE"},
        {"first place missing file: second not tried", {REG_SZ, L"gone\\MSINFO32.EXE"},
         {REG_SZ, L"tools"}, {L"tools\\MSINFO32.EXE"}, L""},
        {"first place expandable text: an empty path", {REG_EXPAND_SZ, L"tools\\MSINFO32.EXE"},
         {REG_SZ, L"tools"}, {L"tools\\MSINFO32.EXE"}, L""},
        {"second place", {}, {REG_SZ, L"tools"}, {L"tools\\MSINFO32.EXE"}, L"tools\\MSINFO32.EXE"},
        {"second place without the tool", {}, {REG_SZ, L"tools"}, {}, L""},
        {"neither place", {}, {}, {L"tools\\MSINFO32.EXE"}, L""},
        {"folder ending in a backslash", {}, {REG_SZ, L"tools\\"}, {L"tools\\MSINFO32.EXE"},
         L"tools\\\\MSINFO32.EXE"},
        // Split at the space, the path would start ...\Program.exe instead.
        {"spaces, with a decoy at the split", {REG_SZ, spaces}, {}, {spaces, L"Program.exe"},
         spaces},
        {"folder through the ANSI code page", {}, {REG_SZ, NonAscii()}, {na}, na},
    };

    const std::wstring id = std::to_wstring(GetCurrentProcessId());
    SetEnvironmentVariableW(L"VARNO_MARKER", id.c_str());
    HANDLE reported = CreateEventW(nullptr, FALSE, FALSE, (L"Local\\varno-marker-" + id).c_str());
    const auto report = std::filesystem::temp_directory_path() / (L"varno-marker-" + id);

    platform::win32::Win32Registry registry;
    platform::win32::Win32FileQuery fileQuery;
    platform::win32::Win32Launcher launcher;
    // The system keeps handles to the machine's root key and to its error
    // texts once they are first used.
    platform::RegHandle key = 0;
    registry.OpenKey(platform::kHKeyLocalMachine, "SOFTWARE", 0, platform::kKeyRead, key);
    registry.CloseKey(key);
    EXPECT_THROW(launcher.Shell("C:\\gone.exe", platform::kNormalFocus), std::runtime_error);

    for (const Scenario& s : scenarios) {
        SCOPED_TRACE(s.name);
        const std::wstring dir = ScratchDir() + L"\\";
        for (const std::wstring& tool : s.tools) {
            std::filesystem::create_directories(std::filesystem::path(dir + tool).parent_path());
            std::filesystem::copy_file(Beside(L"marker_tool.exe"), dir + tool);
        }
        const std::wstring reg =
            L"\ufeffWindows Registry Editor Version 5.00\r\n\r\n" +
            RegSection(L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", L"PATH",
                       s.path, dir) +
            RegSection(L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools Location", L"MSINFO",
                       s.folder, dir);
        std::ofstream(std::filesystem::path(dir + L"scenario.reg"), std::ios::binary)
            .write(reinterpret_cast<const char*>(reg.data()), reg.size() * sizeof(wchar_t));
        ASSERT_EQ(RunTool(L"regedit.exe /S \"" + dir + L"scenario.reg\""), 0u);
        std::filesystem::remove(report);

        // The system hands out the lowest free handle: the same one after the
        // start only if every key, search and process handle was closed again.
        HANDLE before = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        CloseHandle(before);
        testing_support::FakeMessageBox messageBox;
        StartSysInfo({registry, fileQuery, launcher, messageBox});
        HANDLE after = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        CloseHandle(after);
        EXPECT_EQ(after, before);

        if (s.launched.empty()) {
            EXPECT_EQ(messageBox.shown, (std::vector<std::pair<std::string, int>>{
                                            {kSysInfoUnavailable, platform::kMbOkOnly}}));
            continue;
        }
        // Shell has returned, though the tool runs on until the test ends.
        EXPECT_TRUE(messageBox.shown.empty());
        ASSERT_EQ(WaitForSingleObject(reported, 120000), WAIT_OBJECT_0) << "the tool never started";
        std::ifstream in(report, std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), {}};
        // That very program (whose name the system tidies), the whole path
        // quoted as the only argument, in a normal activated window.
        const std::filesystem::path program = dir + s.launched;
        EXPECT_EQ(WideToUtf8({reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2}),
                  WideToUtf8(program.lexically_normal().wstring() + L"\n\"" + program.wstring() +
                             L"\"\n1"));
    }
    CloseHandle(reported);
}

}  // namespace
}  // namespace varno::about
