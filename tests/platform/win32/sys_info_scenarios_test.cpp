// The system information launcher over the real Win32 services: each
// scenario is written into the registry with regedit, as an installation
// would leave it, and only the message box is a stand-in.
#include "core/system_info.h"

#include "platform/win32/win32_file_query.h"
#include "platform/win32/win32_launcher.h"
#include "platform/win32/win32_registry.h"
#include "support/fakes.h"
#include "win32_test_support.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <tuple>

namespace varno {
namespace {

using namespace win32_testing;

TEST_F(Win32, SystemInformationStartsTheToolOrTellsTheUser)
{
    const std::wstring spaces = L"Program Files\\Common Files\\MSINFO32.EXE";
    const std::wstring na = NonAscii() + L"\\MSINFO32.EXE";
    // PATH under Shared Tools\MSINFO, MSINFO under Shared Tools Location, where
    // marker tools are put, and the path started (empty: the message). Where
    // both places hold a tool, the one started shows which place was read.
    const struct {
        std::wstring path, folder;
        std::vector<std::wstring> tools;
        std::wstring launched;
    } scenarios[] = {
        {L"msinfo\\MSINFO32.EXE", L"tools", {L"msinfo\\MSINFO32.EXE", L"tools\\MSINFO32.EXE"},
         L"msinfo\\MSINFO32.EXE"},
        {L"", L"tools", {}, L""},
        {L"", L"tools\\", {L"tools\\MSINFO32.EXE"}, L"tools\\\\MSINFO32.EXE"},
        // Split at the space, the path would start ...\Program.exe instead.
        {spaces, L"", {spaces, L"Program.exe"}, spaces},
        {L"", NonAscii(), {na}, na},
        // Through cmd.exe, %OS% would become Windows_NT and start that one.
        {L"t\\%OS%.bat", L"", {L"t\\%OS%.bat", L"t\\Windows_NT.bat"}, L""},
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
    RegHandle root = 0;
    registry.openKey(kHKeyLocalMachine, "SOFTWARE", 0, kKeyRead, root);
    registry.closeKey(root);
    EXPECT_THROW(launcher.start("C:\\gone.exe", kNormalFocus), std::runtime_error);

    for (const auto& s : scenarios) {
        SCOPED_TRACE(wideToUtf8(s.path + L" | " + s.folder));
        const std::wstring dir = ScratchDir();
        for (const std::wstring& tool : s.tools) {
            std::filesystem::create_directories(std::filesystem::path(dir + tool).parent_path());
            std::filesystem::copy_file(MarkerTool(), dir + tool);
        }
        // Each key removed, then made again holding its value if it has one.
        std::wstring reg = L"\ufeffWindows Registry Editor Version 5.00\r\n";
        for (const auto& [key, name, text] : {std::tuple{L"Shared Tools\\MSINFO", L"PATH", s.path},
                                              {L"Shared Tools Location", L"MSINFO", s.folder}}) {
            const auto full = L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\" + std::wstring(key);
            reg += L"\r\n[-" + full + L"]\r\n";
            if (text.empty())
                continue;
            reg += L"\r\n[" + full + L"]\r\n\"" + name + L"\"=\"";
            for (wchar_t c : dir + text)  // each backslash doubled
                reg += c == L'\\' ? std::wstring(L"\\\\") : std::wstring(1, c);
            reg += L"\"\r\n";
        }
        std::ofstream(std::filesystem::path(dir + L"scenario.reg"), std::ios::binary)
            .write(reinterpret_cast<const char*>(reg.data()), reg.size() * sizeof(wchar_t));
        ASSERT_EQ(RunTool(L"regedit.exe /S \"" + dir + L"scenario.reg\""), 0);
        std::filesystem::remove(report);

        // The system hands out the lowest free handle: the same one after the
        // start only if every key, search and process handle was closed again.
        HANDLE before = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        CloseHandle(before);
        testing_support::FakeMessageBox messageBox;
        launchSystemInformation({registry, fileQuery, launcher, messageBox});
        HANDLE after = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        CloseHandle(after);
        EXPECT_EQ(after, before);
        // The launch has returned, though a started tool runs on until the test ends.
        EXPECT_EQ(messageBox.shown.size(), s.launched.empty() ? 1u : 0u);
        if (s.launched.empty())
            continue;
        ASSERT_EQ(WaitForSingleObject(reported, 120000), WAIT_OBJECT_0) << "the tool never started";
        std::ifstream in(report, std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), {}};
        // That very program (whose name the system tidies), the whole path
        // quoted as the only argument, in a normal activated window.
        const std::filesystem::path program = dir + s.launched;
        EXPECT_EQ(wideToUtf8({reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2}),
                  wideToUtf8(program.lexically_normal().wstring() + L"\n\"" + program.wstring() +
                             L"\"\n1"));
    }
    EXPECT_NE(WaitForSingleObject(reported, 0), WAIT_OBJECT_0) << "a tool the test expected no start of reported";
    CloseHandle(reported);
}

// Only an executable image is started: whatever else a path names is
// refused before anything runs, whatever its name says.
TEST_F(Win32, LauncherStartsNothingButAnExecutableImage)
{
    const std::wstring dir = ScratchDir();
    const auto write = [&](const std::wstring& name, const std::string& bytes) {
        std::ofstream(std::filesystem::path(dir + name), std::ios::binary) << bytes;
    };
    std::filesystem::copy_file(MarkerTool(), dir + L"image.BAT");
    std::filesystem::copy_file(MarkerTool(), dir + L"image.cmd");
    write(L"batch.bat", "@echo off\r\n");
    write(L"text.exe", "@echo off\r\n");
    write(L"dos.com", std::string("\xB4\x4C\xCD\x21", 4));
    write(L"mz-only.exe", "MZ" + std::string(62, '\0'));
    std::string farHeader = "MZ" + std::string(58, '\0') + std::string("\xFF\xFF\xFF\x7F", 4);
    write(L"header-past-end.exe", farHeader);
    std::filesystem::create_directories(dir + L"folder.exe");
    for (const wchar_t* name : {L"image.BAT", L"image.cmd", L"batch.bat", L"text.exe", L"dos.com", L"mz-only.exe",
                                L"header-past-end.exe", L"folder.exe", L"missing.exe"}) {
        SCOPED_TRACE(wideToUtf8(name));
        EXPECT_THROW(platform::win32::Win32Launcher().start(wideToUtf8(dir + name), kNormalFocus),
                     std::runtime_error);
    }
}

}  // namespace
}  // namespace varno
