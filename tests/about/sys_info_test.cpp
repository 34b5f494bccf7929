#include "about/sys_info.h"
#include "sys_info_fakes.h"

#include <gtest/gtest.h>

#include <optional>

namespace varno::about {
namespace {

using namespace testing_support;
using Value = ScriptedRegistry::Value;
using Opens = std::vector<std::pair<std::string, std::uint32_t>>;
using Calls = std::vector<std::pair<std::string, int>>;
constexpr std::uint32_t kRead = 0x20019;  // KEY_READ: no write rights asked for
const Value kNoNul{platform::kRegSz, std::vector<unsigned char>(1024, 'x')};

TEST(GetKeyValue, ReadsRendersAndClosesOnEveryPath)
{
    struct Case {
        const char* what;
        std::optional<Value> value;  // as "V"; nothing: the key is missing
        const char* name;            // read
        bool result;
        std::string keyVal;  // goes in as "before"
        bool throws = false;
    } cases[] = {
        {"key missing", std::nullopt, "V", false, ""},
        {"value missing", Sz("x"), "Other", false, ""},
        {"text", Sz("abc"), "V", true, "abc"},
        {"embedded NUL", Value{platform::kRegSz, {'a', 'b', 0, 'c', 0}}, "V", true, "ab"},
        {"1024 bytes ending in NUL", Sz(std::string(1023, 'x')), "V", true, std::string(1023, 'x')},
        {"1025 bytes", Sz(std::string(1024, 'x')), "V", false, ""},
        {"dword", Value{platform::kRegDword, {0xEF, 0xBE, 0xAD, 0xDE}}, "V", true, "&hDEADBEEF"},
        {"expandable text", Value{platform::kRegExpandSz, {'a', 0}}, "V", true, "before"},
        {"1024 bytes without NUL", kNoNul, "V", false, "before", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedRegistry registry;
        if (c.value)
            registry.values["K"]["V"] = *c.value;
        std::string keyVal = "before";
        if (c.throws)
            EXPECT_THROW(GetKeyValue(registry, platform::kHKeyLocalMachine, "K", c.name, keyVal), std::invalid_argument);
        else
            EXPECT_EQ(GetKeyValue(registry, platform::kHKeyLocalMachine, "K", c.name, keyVal), c.result);
        EXPECT_EQ(keyVal, c.keyVal);
        EXPECT_EQ(registry.opens, (Opens{{"K", kRead}}));
        EXPECT_EQ(registry.closes, std::vector<platform::RegHandle>{c.value ? 0x40u : 0u});
    }
}

TEST(StartSysInfo, LaunchesWhatTheRegistryNamesOrTellsTheUser)
{
    const Value kBinary{platform::kRegBinary, {'/', 'x', 0}};
    const Value kExpand{platform::kRegExpandSz, {'/', 'x', 0}};
    const std::string kExe = "/opt/msinfo\\MSINFO32.EXE";
    struct Case {
        const char* what;
        std::optional<Value> path, folder;  // first and second place
        std::set<std::string> files;        // exist and start
        std::optional<std::string> tried;   // the launch
        bool message;
        std::size_t lookups;
    } cases[] = {
        {"first place", Sz("/usr/bin/tool"), {}, {"/usr/bin/tool"}, "/usr/bin/tool", false, 1},
        {"first place names a missing file", Sz("/gone"), Sz("/opt/msinfo"), {kExe}, "/gone", true, 1},
        {"second place", {}, Sz("/opt/msinfo"), {kExe}, kExe, false, 2},
        {"second place without the program", {}, Sz("/opt/msinfo"), {}, {}, true, 2},
        {"both absent", {}, {}, {}, {}, true, 2},
        {"first place expandable text: empty path", kExpand, {}, {"/x"}, "", true, 1},
        {"second place binary: the root folder's", {}, kBinary, {"\\MSINFO32.EXE"}, "\\MSINFO32.EXE", false, 2},
        {"folder ending in a backslash", {}, Sz("C:\\T\\"), {"C:\\T\\\\MSINFO32.EXE"}, "C:\\T\\\\MSINFO32.EXE",
         false, 2},
        {"spaces", Sz("C:\\Program Files\\i.exe"), {}, {"C:\\Program Files\\i.exe"}, "C:\\Program Files\\i.exe",
         false, 1},
        {"first place fills the buffer: message at once", kNoNul, Sz("/opt/msinfo"), {kExe}, {}, true, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedRegistry registry;
        if (c.path)
            registry.values[kSysInfoPathKey][kSysInfoPathValue] = *c.path;
        if (c.folder)
            registry.values[kSysInfoFolderKey][kSysInfoFolderValue] = *c.folder;
        FakeFileQuery files;
        FakeLauncher launcher;
        files.files = launcher.programs = c.files;
        FakeMessageBox messages;

        StartSysInfo({registry, files, launcher, messages});

        EXPECT_EQ(launcher.tried, (c.tried ? Calls{{*c.tried, 1}} : Calls{}));  // 1: normal, activated
        EXPECT_EQ(messages.shown, (c.message ? Calls{{"現時点ではｼｽﾃﾑ情報を使用できません", 0}} : Calls{}));
        Opens opens{{kSysInfoPathKey, kRead}, {kSysInfoFolderKey, kRead}};
        opens.resize(c.lookups);
        EXPECT_EQ(registry.opens, opens);
        EXPECT_EQ(registry.closes.size(), c.lookups);
    }
}

}  // namespace
}  // namespace varno::about
