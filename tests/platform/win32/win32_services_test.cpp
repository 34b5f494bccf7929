// The registry reader, file query and settings store on the real API, and
// the version resource as Windows shows it.
#include "app_info.h"
#include "platform/win32/win32_file_query.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_settings_store.h"
#include "win32_test_support.h"

#include <shellapi.h>

#include <tuple>

namespace varno::platform::win32 {
namespace {

using namespace win32_testing;

TEST_F(Win32, RegistryReadsUpTo1024BytesWholeThroughTheAnsiCodePage)
{
    // Stored through the wide entry points; the reader's ANSI ones must find
    // the name and give the text back in the code page of the run.
    const std::wstring key = L"HKCU\\Software\\varno-tests\\" + NonAscii();
    const std::tuple<std::wstring, std::wstring, long> cases[] = {
        {L"full", std::wstring(1023, L'x'), kErrorSuccess},  // 1024 bytes with its end
        {L"over", std::wstring(1024, L'x'), kErrorMoreData},
        {NonAscii(), L"C:\\" + NonAscii(), kErrorSuccess},
    };
    Win32Registry registry;
    for (const auto& [name, text, result] : cases) {
        SCOPED_TRACE(wideToUtf8(name));
        ASSERT_EQ(RunTool(L"reg.exe add " + key + L" /f /v " + name + L" /d " + text), 0);
        RegHandle handle = 0;
        const std::string subKey = wideToUtf8(key.substr(5));
        ASSERT_EQ(registry.openKey(kHKeyCurrentUser, subKey, 0, kKeyRead, handle), kErrorSuccess);
        unsigned char buffer[1024] = {};
        std::uint32_t type = 0, size = sizeof buffer;
        EXPECT_EQ(registry.queryValue(handle, wideToUtf8(name), type, buffer, size), result);
        registry.closeKey(handle);
        // Whole, or else the size it would take.
        EXPECT_EQ(result ? std::to_string(size) : registry.dataToText(buffer, size),
                  result ? std::to_string(text.size() + 1) : wideToUtf8(text) + '\0');
    }
}

// As the launcher asks: a folder, or a hidden or system file, is no tool.
TEST_F(Win32, FileQueryFindsOnlyOrdinaryFiles)
{
    const std::wstring dir = ScratchDir();
    CreateDirectoryW((dir + L"folder").c_str(), nullptr);
    for (const auto& [name, attributes] : {std::pair{L"file", FILE_ATTRIBUTE_READONLY},
                                           {L"hidden", FILE_ATTRIBUTE_HIDDEN},
                                           {L"system", FILE_ATTRIBUTE_SYSTEM}})
        CloseHandle(CreateFileW((dir + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                attributes, nullptr));
    for (const std::wstring name : {L"file", L"folder", L"hidden", L"system", L"gone\\file"})
        EXPECT_EQ(Win32FileQuery().find(wideToUtf8(dir + name), 0), name == L"file" ? "file" : "")
            << wideToUtf8(name);  // a missing folder is no error
}

TEST_F(Win32, SettingsRoundTripAtTheClassicPlaceAsText)
{
    const std::wstring key = L"Software\\VB and VBA Program Settings\\" +
                             utf8ToWide(kAppTitle).value() + L"\\Settings";
    // As an older installation left it; a number of another type is no setting.
    ASSERT_EQ(RunTool(L"reg.exe add \"HKCU\\" + key + L"\" /f /v MainTop /t REG_DWORD /d 5"), 0);
    Win32SettingsStore store;
    EXPECT_EQ(store.read(kAppTitle, "Settings", "MainTop", "1000"), "1000");
    // 511 characters and the terminator fill the 1 KiB a value may take.
    for (const std::string& value : {std::string("-60"), std::string("色変更"), std::string(511, '7')}) {
        ASSERT_TRUE(store.write(kAppTitle, "Settings", {{"MainTop", value}}));
        EXPECT_EQ(store.read(kAppTitle, "Settings", "MainTop", ""), value);
        // What lies in the registry, read past the store.
        std::wstring stored(8192, L'\0');
        DWORD type = 0, size = 8192 * sizeof(wchar_t);
        ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, key.c_str(), L"MainTop",
                               RRF_RT_ANY | RRF_NOEXPAND, &type, stored.data(), &size),
                  ERROR_SUCCESS);
        EXPECT_EQ(std::pair(type, wideToUtf8(stored.c_str())), std::pair(DWORD(REG_SZ), value));
    }
    // Longer is no setting of ours: not written, and not read when another
    // program put it there.
    EXPECT_FALSE(store.write(kAppTitle, "Settings", {{"MainTop", std::string(512, '7')}}));
    ASSERT_EQ(RunTool(L"reg.exe add \"HKCU\\" + key + L"\" /f /v MainTop /d " + std::wstring(600, L'7')), 0);
    EXPECT_EQ(store.read(kAppTitle, "Settings", "MainTop", "1000"), "1000");
}

// The marker tool is built as the program is, so it carries the same resources.
TEST_F(Win32, VersionResourceIconAndSubsystem)
{
    const std::wstring exe = MarkerTool();
    DWORD ignored = 0;
    std::vector<unsigned char> block(GetFileVersionInfoSizeW(exe.c_str(), &ignored));
    ASSERT_TRUE(GetFileVersionInfoW(exe.c_str(), 0, DWORD(block.size()), block.data()));
    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", &value, &length));
    const auto& f = *static_cast<const VS_FIXEDFILEINFO*>(value);
    EXPECT_EQ(std::tuple(f.dwFileVersionMS, f.dwFileVersionLS, f.dwProductVersionMS,
                         f.dwProductVersionLS),
              std::tuple(MAKELONG(4, 1), 0ul, MAKELONG(4, 1), 0ul));  // 1.4.0.0
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &value, &length));
    EXPECT_EQ(*static_cast<const DWORD*>(value), MAKELONG(0x0411, 1200));  // Japanese, UTF-16
    for (const auto& [name, text] : {std::pair{L"FileVersion", "1.04"}, {L"ProductVersion", "1.04"},
                                     {L"ProductName", "ゾルテカ"}, {L"InternalName", "varno"},
                                     {L"OriginalFilename", "varno.exe"},
                                     {L"FileDescription", "ゾルテカ作成ソフトです"}}) {
        const std::wstring path = std::wstring(L"\\StringFileInfo\\041104B0\\") + name;
        ASSERT_TRUE(VerQueryValueW(block.data(), path.c_str(), &value, &length));
        EXPECT_EQ(wideToUtf8(static_cast<const wchar_t*>(value)), text) << wideToUtf8(name);
    }

    HMODULE module = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module, nullptr);
    // The icon has a 32-pixel image, stored as a bitmap: a PNG one would
    // start with its signature instead.
    HRSRC group = FindResourceW(module, L"IDI_ICON1", MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */);
    ASSERT_NE(group, nullptr);
    auto* directory = static_cast<BYTE*>(LockResource(LoadResource(module, group)));
    const int id = LookupIconIdFromDirectoryEx(directory, TRUE, 32, 32, LR_DEFAULTCOLOR);
    HRSRC image = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(3) /* RT_ICON */);
    ASSERT_NE(image, nullptr);
    const auto* icon = static_cast<BITMAPINFOHEADER*>(LockResource(LoadResource(module, image)));
    EXPECT_EQ(std::pair(icon->biSize, icon->biWidth), std::pair(DWORD(sizeof *icon), LONG(32)));
    // A Windows program, which opens no console window.
    EXPECT_NE(HIWORD(SHGetFileInfoW(exe.c_str(), 0, nullptr, 0, SHGFI_EXETYPE)), 0);
    FreeLibrary(module);
}

}  // namespace
}  // namespace varno::platform::win32
