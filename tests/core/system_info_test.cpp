#include "core/system_info.h"

#include "support/fakes.h"

#include <gtest/gtest.h>

#include <optional>
#include <tuple>

namespace varno {
namespace {

using namespace testing_support;
using Value = ScriptedRegistry::Value;
using Opens = std::vector<std::pair<std::string, std::uint32_t>>;
constexpr std::uint32_t kRead = 0x20019;  // KEY_READ: no write rights asked for
const Value kNoNul{kRegSz, std::vector<unsigned char>(1024, 'x')};

TEST(SystemInfo, RegistryTextIsReadRenderedAndTheKeyClosedOnEveryPath)
{
    // What, the value "V" (nothing: the key is missing), the result (-1: it
    // throws) and what becomes of the text, which goes in as "before".
    const std::tuple<const char*, std::optional<Value>, int, std::string> cases[] = {
        {"key missing", std::nullopt, false, ""},
        {"1025 bytes: as if missing", Sz(std::string(1024, 'x')), false, ""},
        {"1024 bytes, up to the first NUL", Sz(std::string(1021, 'x') + '\0' + 'c'), true, std::string(1021, 'x')},
        {"dword", Value{kRegDword, {0xEF, 0xBE, 0xAD, 0xDE}}, true, "&hDEADBEEF"},
        {"expandable text, like any other type", Value{kRegExpandSz, {'a', 0}}, true, "before"},
        {"1024 bytes without NUL", kNoNul, -1, "before"},
    };
    for (const auto& [what, value, result, after] : cases) {
        SCOPED_TRACE(what);
        ScriptedRegistry registry;
        if (value)
            registry.values["K"]["V"] = *value;
        std::string text = "before";
        const auto get = [&] { return readRegistryText(registry, kHKeyLocalMachine, "K", "V", text); };
        if (result < 0)
            EXPECT_THROW(get(), std::invalid_argument);
        else
            EXPECT_EQ(get(), bool(result));
        EXPECT_EQ(text, after);
        EXPECT_EQ(registry.opens, (Opens{{"K", kRead}}));
        EXPECT_EQ(registry.closes, std::vector<RegHandle>{value ? 0x40u : 0u});
    }
}

TEST(SystemInfo, LaunchesWhatTheRegistryNamesOrTellsTheUser)
{
    const std::string kExe = "C:\\T\\\\MSINFO32.EXE";  // the folder's own backslash is kept
    const struct {
        const char* what;
        std::optional<Value> path, folder;  // first and second place
        std::set<std::string> programs;     // exist and start
        std::optional<std::string> tried;   // the launch; the message unless it starts
    } cases[] = {
        {"first place, whole", Sz("C:\\Program Files\\i.exe"), Sz("C:\\T\\"), {"C:\\Program Files\\i.exe", kExe},
         "C:\\Program Files\\i.exe"},
        {"first place names a missing file", Sz("/gone"), Sz("C:\\T\\"), {kExe}, "/gone"},
        {"second place", {}, Sz("C:\\T\\"), {kExe}, kExe},
        {"second place without the program", {}, Sz("C:\\T\\"), {}, {}},
        {"both absent", {}, {}, {}, {}},
        {"first place fills the buffer: message at once", kNoNul, Sz("C:\\T\\"), {kExe}, {}},
    };
    for (const auto& [what, path, folder, programs, tried] : cases) {
        SCOPED_TRACE(what);
        ScriptedRegistry registry;
        if (path)
            registry.values[kToolPathKey][kToolPathValue] = *path;
        if (folder)
            registry.values[kToolFolderKey][kToolFolderValue] = *folder;
        FakeFileQuery files;
        FakeLauncher launcher;
        files.files = launcher.programs = programs;
        FakeMessageBox messages;
        launchSystemInformation({registry, files, launcher, messages});

        EXPECT_EQ(launcher.tried, (tried ? Calls{{*tried, 1}} : Calls{}));  // 1: normal, activated
        const bool started = tried && programs.count(*tried);
        EXPECT_EQ(messages.shown, (started ? Calls{} : Calls{{"現時点ではｼｽﾃﾑ情報を使用できません", 0}}));
        // The second place is read only when the first is missing.
        Opens opens{{kToolPathKey, kRead}, {kToolFolderKey, kRead}};
        opens.resize(path ? 1 : 2);
        EXPECT_EQ(registry.opens, opens);
        EXPECT_EQ(registry.closes.size(), opens.size());
    }
}

}  // namespace
}  // namespace varno
