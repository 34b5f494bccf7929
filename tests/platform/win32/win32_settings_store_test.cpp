#include "platform/win32/win32_settings_store.h"

#include "app_info.h"
#include "main_window/stored_number.h"
#include "platform/win32/windows_api.h"
#include "win32_test_support.h"

#include <gtest/gtest.h>

namespace varno::platform::win32 {
namespace {

using win32_testing::InScratchPrefix;
using win32_testing::Narrow;
using win32_testing::Reg;
using win32_testing::ScratchKey;
using win32_testing::Widen;

// What lies in the registry, read past the store.
struct Stored {
    DWORD type = REG_NONE;
    std::wstring text;
};

Stored ReadStored(const std::wstring& path, const std::wstring& name)
{
    Stored stored;
    wchar_t buffer[512] = {};
    DWORD size = sizeof buffer;
    if (RegGetValueW(HKEY_CURRENT_USER, path.c_str(), name.c_str(), RRF_RT_ANY, &stored.type,
                     buffer, &size) == ERROR_SUCCESS)
        stored.text = buffer;
    return stored;
}

class Win32SettingsStoreTest : public ::testing::Test {
protected:
    ScratchKey scratch;
    Win32SettingsStore store{kHKeyCurrentUser, scratch.Path()};
    std::wstring SectionPath(const std::string& app, const std::string& section) const
    {
        return Widen(scratch.Path() + "\\" + app + "\\" + section);
    }
};

TEST_F(Win32SettingsStoreTest, AbsentKeyGivesTheDefault)
{
    EXPECT_EQ(store.GetSetting(kAppTitle, "Settings", "MainLeft", "1000"), "1000");
    store.SaveSetting(kAppTitle, "Settings", "MainTop", "5");
    EXPECT_EQ(store.GetSetting(kAppTitle, "Settings", "MainLeft", "1000"), "1000");
    EXPECT_EQ(store.GetSetting(kAppTitle, "Other", "MainTop", "1000"), "1000");
}

TEST_F(Win32SettingsStoreTest, SavedTextIsAStringValueUnderAppAndSection)
{
    ASSERT_TRUE(store.SaveSetting(kAppTitle, "Settings", "MainWidth", "6500"));
    const Stored stored = ReadStored(SectionPath(kAppTitle, "Settings"), L"MainWidth");
    EXPECT_EQ(stored.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(stored.text, L"6500");
}

TEST_F(Win32SettingsStoreTest, RoundTripsAndReplaces)
{
    const struct {
        const char* first;
        const char* second;
    } cases[] = {
        {"1000", "1234.5"},
        {"-120", "0"},
        {"", "x"},  // an empty text is a value, not an absence
        {"ゾルテカ", "色変更1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first);
        ASSERT_TRUE(store.SaveSetting(kAppTitle, "Settings", "Key", c.first));
        EXPECT_EQ(store.GetSetting(kAppTitle, "Settings", "Key", "default"), c.first);
        ASSERT_TRUE(store.SaveSetting(kAppTitle, "Settings", "Key", c.second));
        EXPECT_EQ(store.GetSetting(kAppTitle, "Settings", "Key", "default"), c.second);
    }
}

TEST_F(Win32SettingsStoreTest, ValueOfAnotherTypeReadsAsAbsent)
{
    scratch.SetValue(Widen(kAppTitle) + L"\\Settings", L"MainLeft", REG_DWORD, {0xE8, 0x03, 0, 0});
    EXPECT_EQ(store.GetSetting(kAppTitle, "Settings", "MainLeft", "1000"), "1000");
}

TEST_F(Win32SettingsStoreTest, RefusesWhatCannotBeAddressed)
{
    const std::string bad = "\xff\xfe";
    EXPECT_FALSE(store.SaveSetting("", "Settings", "MainLeft", "1"));
    EXPECT_FALSE(store.SaveSetting(kAppTitle, "", "MainLeft", "1"));
    EXPECT_FALSE(store.SaveSetting(kAppTitle, "Settings", "", "1"));
    EXPECT_FALSE(store.SaveSetting(kAppTitle, "Settings", "MainLeft", bad));
    EXPECT_EQ(store.GetSetting(kAppTitle, "Settings", bad, "d"), "d");
    EXPECT_EQ(store.GetSetting(kAppTitle, "Settings", "", "d"), "d");
}

TEST_F(Win32SettingsStoreTest, LongValuesComeBackWhole)
{
    const std::string text(5000, '7');
    ASSERT_TRUE(store.SaveSetting(kAppTitle, "Settings", "Long", text));
    EXPECT_EQ(store.GetSetting(kAppTitle, "Settings", "Long", ""), text);
}

// The real place, as an older installation left it: only in the throwaway
// prefix, since it is the program's own per-user settings.
TEST(Win32SettingsStoreClassicPlace, ReadsWhatAnOlderInstallationLeftAndWritesItBackTheSameWay)
{
    if (!InScratchPrefix())
        GTEST_SKIP() << "writes the program's real settings; run by windows-tests.sh";
    const std::wstring path =
        L"HKCU\\Software\\VB and VBA Program Settings\\" + Widen(kAppTitle) + L"\\Settings";
    win32_testing::RunAndWait(L"reg.exe delete \"" + path + L"\" /f");
    Reg(L"add \"" + path + L"\" /v MainLeft /t REG_SZ /d 1234.5 /f");
    Reg(L"add \"" + path + L"\" /v MainTop /t REG_SZ /d -60 /f");
    Reg(L"add \"" + path + L"\" /v MainWidth /t REG_SZ /d 9000 /f");

    Win32SettingsStore store;
    const StoredBounds bounds = BoundsFromStoredTexts(
        store.GetSetting(kAppTitle, "Settings", "MainLeft", "1000"),
        store.GetSetting(kAppTitle, "Settings", "MainTop", "1000"),
        store.GetSetting(kAppTitle, "Settings", "MainWidth", "6500"),
        store.GetSetting(kAppTitle, "Settings", "MainHeight", "6500"));
    EXPECT_EQ(bounds.left, 1234.5f);
    EXPECT_EQ(bounds.top, -60.0f);
    EXPECT_EQ(bounds.width, 9000.0f);
    EXPECT_EQ(bounds.height, 6500.0f);

    ASSERT_TRUE(store.SaveSetting(kAppTitle, "Settings", "MainHeight", FormatStoredSingle(7200.25f)));
    const Stored stored = ReadStored(path.substr(5), L"MainHeight");
    EXPECT_EQ(stored.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(stored.text, L"7200.25");
    Reg(L"delete \"" + path + L"\" /f");
}

}  // namespace
}  // namespace varno::platform::win32
