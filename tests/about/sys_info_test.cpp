#include "about/sys_info.h"
#include "sys_info_fakes.h"

#include <gtest/gtest.h>

#include <cctype>
#include <optional>
#include <stdexcept>

namespace varno::about {
namespace {

using testing_support::FakeFileQuery;
using testing_support::FakeLauncher;
using testing_support::RecordingMessageBox;
using testing_support::ScriptedRegistry;
using Bytes = std::vector<unsigned char>;

constexpr const char* kKey = "SOFTWARE\\Test";

// The case's own words, as gtest allows them in a name.
template <class Case>
std::string NameOf(const ::testing::TestParamInfo<Case>& info)
{
    std::string name = info.param.what;
    for (char& ch : name)
        if (!std::isalnum(static_cast<unsigned char>(ch)))
            ch = '_';
    return name;
}

Bytes Filled(std::size_t size, unsigned char fill, bool endsInNul)
{
    Bytes data(size, fill);
    if (endsInNul)
        data.back() = 0;
    return data;
}

struct KeyCase {
    const char* what;
    std::optional<ScriptedRegistry::Value> value;  // nothing: the key is missing
    bool result;
    std::string keyVal;  // KeyVal goes in as "before"
};

void PrintTo(const KeyCase& c, std::ostream* os)
{
    *os << c.what;
}

class GetKeyValueCases : public ::testing::TestWithParam<KeyCase> {};

TEST_P(GetKeyValueCases, ReadsRendersAndAlwaysCloses)
{
    const KeyCase& c = GetParam();
    ScriptedRegistry registry;
    if (c.value)
        registry.Set(kKey, "V", c.value->type, c.value->data);
    std::string keyVal = "before";

    EXPECT_EQ(GetKeyValue(registry, platform::kHKeyLocalMachine, kKey, "V", keyVal), c.result);
    EXPECT_EQ(keyVal, c.keyVal);

    ASSERT_EQ(registry.opens.size(), 1u);
    EXPECT_EQ(registry.opens[0].access, platform::kKeyRead);
    EXPECT_EQ(registry.opens[0].key, kKey);
    ASSERT_EQ(registry.closes.size(), 1u);
    EXPECT_EQ(registry.closes[0], c.value ? 0x40u : 0u);
    EXPECT_TRUE(registry.openKeys.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Values, GetKeyValueCases,
    ::testing::Values(
        KeyCase{"key missing", std::nullopt, false, ""},
        KeyCase{"text", ScriptedRegistry::Value{platform::kRegSz, {'a', 'b', 'c', 0}}, true, "abc"},
        KeyCase{"text without terminator", ScriptedRegistry::Value{platform::kRegSz, {'a', 'b'}}, true, "ab"},
        KeyCase{"embedded NUL", ScriptedRegistry::Value{platform::kRegSz, {'a', 'b', 0, 'c', 'd', 0}}, true, "ab"},
        KeyCase{"empty text", ScriptedRegistry::Value{platform::kRegSz, {0}}, true, ""},
        KeyCase{"exactly 1024 bytes", ScriptedRegistry::Value{platform::kRegSz, Filled(1024, 'x', true)}, true,
                std::string(1023, 'x')},
        KeyCase{"1025 bytes", ScriptedRegistry::Value{platform::kRegSz, Filled(1025, 'x', true)}, false, ""},
        KeyCase{"dword", ScriptedRegistry::Value{platform::kRegDword, {0x1A, 0, 0, 0}}, true, "&h0000001A"},
        KeyCase{"dword byte order", ScriptedRegistry::Value{platform::kRegDword, {0x78, 0x56, 0x34, 0x12}}, true,
                "&h12345678"},
        KeyCase{"dword top bit", ScriptedRegistry::Value{platform::kRegDword, {0xEF, 0xBE, 0xAD, 0xDE}}, true,
                "&hDEADBEEF"},
        KeyCase{"dword zero", ScriptedRegistry::Value{platform::kRegDword, {0, 0, 0, 0}}, true, "&h00000000"},
        KeyCase{"expand text", ScriptedRegistry::Value{platform::kRegExpandSz, {'a', 0}}, true, "before"},
        KeyCase{"binary", ScriptedRegistry::Value{platform::kRegBinary, {1, 2, 0}}, true, "before"},
        KeyCase{"multi text", ScriptedRegistry::Value{platform::kRegMultiSz, {'a', 0, 0}}, true, "before"},
        KeyCase{"qword", ScriptedRegistry::Value{platform::kRegQword, {1, 0, 0, 0, 0, 0, 0, 0}}, true, "before"},
        KeyCase{"none", ScriptedRegistry::Value{platform::kRegNone, {}}, true, "before"}),
    NameOf<KeyCase>);

TEST(GetKeyValue, MissingValueClosesTheOpenedKey)
{
    ScriptedRegistry registry;
    registry.SetText(kKey, "Other", "x");
    std::string keyVal = "before";
    EXPECT_FALSE(GetKeyValue(registry, platform::kHKeyLocalMachine, kKey, "V", keyVal));
    EXPECT_EQ(keyVal, "");
    EXPECT_EQ(registry.closes, std::vector<platform::RegHandle>{0x40});
    EXPECT_TRUE(registry.openKeys.empty());
}

TEST(GetKeyValue, FullBufferWithoutAnEndRaisesAfterClosing)
{
    for (std::uint32_t type : {platform::kRegSz, platform::kRegBinary}) {
        ScriptedRegistry registry;
        registry.Set(kKey, "V", type, Filled(1024, 'x', false));
        std::string keyVal = "before";
        EXPECT_THROW(GetKeyValue(registry, platform::kHKeyLocalMachine, kKey, "V", keyVal),
                     std::invalid_argument);
        EXPECT_EQ(registry.closes.size(), 1u);
        EXPECT_TRUE(registry.openKeys.empty());
    }
}

// What each scenario leaves in the registry and on disk, and what should
// come of a click.
struct Scenario {
    const char* what;
    std::optional<ScriptedRegistry::Value> path;    // first place, "PATH"
    std::optional<ScriptedRegistry::Value> folder;  // second place, "MSINFO"
    std::set<std::string> files;
    std::set<std::string> programs;
    std::string launched;  // empty: the message instead
    std::size_t lookups;   // keys opened
    std::vector<std::string> asked;
};

ScriptedRegistry::Value Sz(const std::string& text)
{
    Bytes data(text.begin(), text.end());
    data.push_back(0);
    return {platform::kRegSz, data};
}

const ScriptedRegistry::Value kBinary{platform::kRegBinary, {0x2F, 0x78, 0}};
const ScriptedRegistry::Value kExpand{platform::kRegExpandSz, {'/', 'x', 0}};

void PrintTo(const Scenario& s, std::ostream* os)
{
    *os << s.what;
}

class StartSysInfoScenarios : public ::testing::TestWithParam<Scenario> {};

TEST_P(StartSysInfoScenarios, LaunchesOrTellsTheUser)
{
    const Scenario& s = GetParam();
    ScriptedRegistry registry;
    if (s.path)
        registry.Set(kSysInfoPathKey, kSysInfoPathValue, s.path->type, s.path->data);
    if (s.folder)
        registry.Set(kSysInfoFolderKey, kSysInfoFolderValue, s.folder->type, s.folder->data);
    FakeFileQuery files;
    files.files = s.files;
    FakeLauncher launcher;
    launcher.programs = s.programs;
    RecordingMessageBox messages;

    StartSysInfo({registry, files, launcher, messages});

    if (s.launched.empty()) {
        EXPECT_TRUE(launcher.started.empty());
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].first, "現時点ではｼｽﾃﾑ情報を使用できません");
        EXPECT_EQ(messages.shown[0].second, 0);
    } else {
        EXPECT_EQ(launcher.started, std::vector<std::string>{s.launched});
        EXPECT_EQ(launcher.tried, (std::vector<std::pair<std::string, int>>{{s.launched, 1}}));
        EXPECT_TRUE(messages.shown.empty());
    }
    ASSERT_EQ(registry.opens.size(), s.lookups);
    EXPECT_EQ(registry.opens[0].key, kSysInfoPathKey);
    if (s.lookups > 1) {
        EXPECT_EQ(registry.opens[1].key, kSysInfoFolderKey);
    }
    for (const auto& open : registry.opens) {
        EXPECT_EQ(open.root, platform::kHKeyLocalMachine);
        EXPECT_EQ(open.access, platform::kKeyRead);
    }
    EXPECT_EQ(registry.closes.size(), s.lookups);
    EXPECT_TRUE(registry.openKeys.empty());
    std::vector<std::string> asked;
    for (const auto& [path, attributes] : files.asked) {
        asked.push_back(path);
        EXPECT_EQ(attributes, 0);
    }
    EXPECT_EQ(asked, s.asked);
}

INSTANTIATE_TEST_SUITE_P(
    Clicks, StartSysInfoScenarios,
    ::testing::Values(
        Scenario{"first place, program there", Sz("/usr/bin/hardinfo"), std::nullopt, {}, {"/usr/bin/hardinfo"},
                 "/usr/bin/hardinfo", 1, {}},
        Scenario{"first place, program missing: second not consulted", Sz("/gone"), Sz("/opt/msinfo"),
                 {"/opt/msinfo\\MSINFO32.EXE"}, {"/opt/msinfo\\MSINFO32.EXE"}, "", 1, {}},
        Scenario{"second place with the file", std::nullopt, Sz("/opt/msinfo"), {"/opt/msinfo\\MSINFO32.EXE"},
                 {"/opt/msinfo\\MSINFO32.EXE"}, "/opt/msinfo\\MSINFO32.EXE", 2, {"/opt/msinfo\\MSINFO32.EXE"}},
        Scenario{"second place without the file", std::nullopt, Sz("/opt/msinfo"), {},
                 {"/opt/msinfo\\MSINFO32.EXE"}, "", 2, {"/opt/msinfo\\MSINFO32.EXE"}},
        Scenario{"second place found but the launch fails", std::nullopt, Sz("/opt/msinfo"),
                 {"/opt/msinfo\\MSINFO32.EXE"}, {}, "", 2, {"/opt/msinfo\\MSINFO32.EXE"}},
        Scenario{"both places absent", std::nullopt, std::nullopt, {}, {}, "", 2, {}},
        Scenario{"first place expandable text gives an empty path", kExpand, Sz("/opt/msinfo"), {}, {"/x"}, "", 1,
                 {}},
        Scenario{"first place binary gives an empty path", kBinary, std::nullopt, {}, {"/x"}, "", 1, {}},
        Scenario{"first place number", ScriptedRegistry::Value{platform::kRegDword, {1, 0, 0, 0}}, std::nullopt,
                 {}, {}, "", 1, {}},
        Scenario{"second place binary: the root folder's file", std::nullopt, kBinary, {"\\MSINFO32.EXE"},
                 {"\\MSINFO32.EXE"}, "\\MSINFO32.EXE", 2, {"\\MSINFO32.EXE"}},
        Scenario{"second place binary and no file in the root", std::nullopt, kBinary, {}, {"\\MSINFO32.EXE"}, "",
                 2, {"\\MSINFO32.EXE"}},
        Scenario{"folder ending in a backslash", std::nullopt, Sz("C:\\Tools\\"), {"C:\\Tools\\\\MSINFO32.EXE"},
                 {"C:\\Tools\\\\MSINFO32.EXE"}, "C:\\Tools\\\\MSINFO32.EXE", 2, {"C:\\Tools\\\\MSINFO32.EXE"}},
        Scenario{"path with spaces goes as it is", Sz("C:\\Program Files\\Common Files\\msinfo32.exe"),
                 std::nullopt, {}, {"C:\\Program Files\\Common Files\\msinfo32.exe"},
                 "C:\\Program Files\\Common Files\\msinfo32.exe", 1, {}},
        Scenario{"embedded NUL cuts the path", Sz(std::string("/bin/tool\0 --flag", 17)), std::nullopt, {},
                 {"/bin/tool"}, "/bin/tool", 1, {}},
        Scenario{"first place too long: on to the second", Sz(std::string(1024, 'x')), Sz("/opt/msinfo"),
                 {"/opt/msinfo\\MSINFO32.EXE"}, {"/opt/msinfo\\MSINFO32.EXE"}, "/opt/msinfo\\MSINFO32.EXE", 2,
                 {"/opt/msinfo\\MSINFO32.EXE"}},
        Scenario{"first place exactly fills the buffer", Sz(std::string(1023, 'x')), std::nullopt, {},
                 {std::string(1023, 'x')}, std::string(1023, 'x'), 1, {}},
        Scenario{"first place fills the buffer without an end: message at once",
                 ScriptedRegistry::Value{platform::kRegSz, Filled(1024, 'x', false)}, Sz("/opt/msinfo"),
                 {"/opt/msinfo\\MSINFO32.EXE"}, {"/opt/msinfo\\MSINFO32.EXE"}, "", 1, {}},
        Scenario{"second place fills the buffer without an end", std::nullopt,
                 ScriptedRegistry::Value{platform::kRegSz, Filled(1024, 'x', false)}, {}, {}, "", 2, {}}),
    NameOf<Scenario>);

TEST(StartSysInfo, MalformedFileNameGivesTheMessage)
{
    ScriptedRegistry registry;
    registry.SetText(kSysInfoFolderKey, kSysInfoFolderValue, "/opt");
    FakeFileQuery files;
    files.malformed = true;
    FakeLauncher launcher;
    RecordingMessageBox messages;
    StartSysInfo({registry, files, launcher, messages});
    EXPECT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(launcher.tried.empty());
    EXPECT_TRUE(registry.openKeys.empty());
}

TEST(StartSysInfo, EveryClickStartsAfresh)
{
    ScriptedRegistry registry;
    registry.SetText(kSysInfoPathKey, kSysInfoPathValue, "/tool");
    FakeFileQuery files;
    FakeLauncher launcher;
    launcher.programs = {"/tool"};
    RecordingMessageBox messages;
    StartSysInfo({registry, files, launcher, messages});
    StartSysInfo({registry, files, launcher, messages});
    EXPECT_EQ(launcher.started.size(), 2u);
    registry.values.clear();
    StartSysInfo({registry, files, launcher, messages});
    EXPECT_EQ(launcher.started.size(), 2u);
    EXPECT_EQ(messages.shown.size(), 1u);
}

}  // namespace
}  // namespace varno::about
