// The registry reader, file query and settings store on the real API.
#include "app_info.h"
#include "platform/win32/win32_file_query.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_settings_store.h"
#include "win32_test_support.h"

namespace varno::platform::win32 {
namespace {

using namespace win32_testing;

TEST_F(Win32, RegistryReadsUpTo1024BytesWholeThroughTheAnsiCodePage)
{
    // Stored through the wide entry points; the reader's ANSI ones must find
    // the name and give the text back in the code page of the run.
    const std::wstring key = L"HKCU\\Software\\varno-tests\\" + NonAscii();
    const std::string subKey = WideToUtf8(key.substr(5));
    const struct {
        std::wstring name, text;
        long result;
    } cases[] = {
        {L"full", std::wstring(1023, L'x'), kErrorSuccess},  // 1024 bytes with its end
        {L"over", std::wstring(1024, L'x'), kErrorMoreData},
        {NonAscii(), L"C:\\" + NonAscii(), kErrorSuccess},
    };
    Win32Registry registry;
    for (const auto& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.name));
        ASSERT_EQ(RunTool(L"reg.exe add " + key + L" /f /v " + c.name + L" /d " + c.text), 0u);
        RegHandle handle = 0;
        ASSERT_EQ(registry.OpenKey(kHKeyCurrentUser, subKey, 0, kKeyRead, handle), kErrorSuccess);
        unsigned char buffer[1024] = {};
        std::uint32_t type = 0, size = sizeof buffer;
        EXPECT_EQ(registry.QueryValue(handle, WideToUtf8(c.name), type, buffer, size), c.result);
        registry.CloseKey(handle);
        if (c.result == kErrorSuccess)
            EXPECT_EQ(registry.DataToText(buffer, size), WideToUtf8(c.text) + '\0');
        else
            EXPECT_EQ(size, c.text.size() + 1);
    }
}

TEST_F(Win32, FileQueryFindsOrdinaryFilesUnlessAskedForMore)
{
    const std::wstring dir = ScratchDir() + L"\\";
    CreateDirectoryW((dir + L"folder").c_str(), nullptr);
    for (const auto& [name, attributes] : {std::pair{L"file", FILE_ATTRIBUTE_READONLY},
                                           {L"hidden", FILE_ATTRIBUTE_HIDDEN},
                                           {L"system", FILE_ATTRIBUTE_SYSTEM}})
        CloseHandle(CreateFileW((dir + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                attributes, nullptr));
    const struct {
        const wchar_t* path;
        int attributes;
        const char* found;
    } cases[] = {
        {L"file", 0, "file"},
        {L"folder", 0, ""},
        {L"folder", kDirDirectory, "folder"},
        {L"hidden", 0, ""},
        {L"hidden", kDirHidden, "hidden"},
        {L"system", 0, ""},
        {L"system", kDirSystem, "system"},
        {L"gone\\file", 0, ""},  // a missing folder is no error
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.path) + " " + std::to_string(c.attributes));
        EXPECT_EQ(Win32FileQuery().Dir(WideToUtf8(dir + c.path), c.attributes), c.found);
    }
}

TEST_F(Win32, SettingsRoundTripAtTheClassicPlaceAsText)
{
    const std::wstring key =
        L"HKCU\\Software\\VB and VBA Program Settings\\" + Widen(kAppTitle) + L"\\Settings";
    const std::wstring reg = L"reg.exe add \"" + key + L"\" /f /v ";
    RunTool(L"reg.exe delete \"" + key + L"\" /f");
    // As an older installation left it; a number of another type is no setting.
    ASSERT_EQ(RunTool(reg + L"MainLeft /d 1234.5"), 0u);
    ASSERT_EQ(RunTool(reg + L"MainTop /t REG_DWORD /d 5"), 0u);
    Win32SettingsStore store;
    EXPECT_EQ(store.GetSetting(kAppTitle, "Settings", "MainLeft", "1000"), "1234.5");
    EXPECT_EQ(store.GetSetting(kAppTitle, "Settings", "MainTop", "1000"), "1000");
    EXPECT_EQ(store.GetSetting(kAppTitle, "Settings", "MainWidth", "6500"), "6500");

    for (const auto& [name, value] : {std::pair<std::string, std::string>{"MainTop", "-60"},
                                      {"MainWidth", std::string(5000, '7')},
                                      {"MainHeight", "色変更"}}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(store.SaveSetting(kAppTitle, "Settings", name, value));
        EXPECT_EQ(store.GetSetting(kAppTitle, "Settings", name, ""), value);
        // What lies in the registry, read past the store.
        std::wstring stored(8192, L'\0');
        DWORD type = 0, size = static_cast<DWORD>(stored.size() * sizeof(wchar_t));
        ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, key.substr(5).c_str(), Widen(name).c_str(),
                               RRF_RT_ANY | RRF_NOEXPAND, &type, stored.data(), &size),
                  ERROR_SUCCESS);
        EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(WideToUtf8(stored.c_str()), value);
    }
}

}  // namespace
}  // namespace varno::platform::win32
