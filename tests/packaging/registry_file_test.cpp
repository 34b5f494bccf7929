// The default registry file that is installed for the system information
// tool: it must read cleanly, name the same tool as the built-in default,
// lead the launcher to it, and its commented-out second place must work
// once a user uncomments it.
#include "about/sys_info.h"
#include "platform/reg_file_registry.h"
#include "tests/about/sys_info_fakes.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace varno::packaging {
namespace {

using platform::RegDocument;
using platform::RegValue;

constexpr const char* kPathKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
constexpr const char* kFolderKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools Location";

std::string InstalledText()
{
    std::ifstream in(VARNO_REGISTRY_SOURCE, std::ios::binary);
    EXPECT_TRUE(in) << VARNO_REGISTRY_SOURCE;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

RegDocument ParseClean(const std::string& text)
{
    std::ostringstream warnings;
    auto document = platform::ParseRegText(text, "registry.reg", warnings);
    EXPECT_TRUE(document.has_value());
    EXPECT_EQ(warnings.str(), "");
    return document.value_or(RegDocument{});
}

std::string TextOf(const RegValue* value)
{
    if (value == nullptr || value->type != platform::kRegSz || value->data.empty())
        return "<not a text value>";
    return std::string(value->data.begin(), value->data.end() - 1);
}

// What a user is told to do in the file: drop the first place, uncomment
// the second.
std::string WithSecondPlaceInUse(const std::string& text)
{
    std::istringstream in(text);
    std::string out, line;
    while (std::getline(in, line)) {
        if (line.rfind("\"PATH\"=", 0) == 0)
            continue;
        if (line.rfind(";[", 0) == 0 || line.rfind(";\"", 0) == 0)
            line.erase(0, 1);
        out += line + "\n";
    }
    return out;
}

struct Launch {
    testing_support::FakeFileQuery files;
    testing_support::FakeLauncher launcher;
    testing_support::RecordingMessageBox messages;

    void Run(const RegDocument& document)
    {
        platform::RegFileRegistry registry([document] { return document; });
        about::StartSysInfo({registry, files, launcher, messages});
        EXPECT_EQ(registry.OpenHandleCount(), 0u);
    }
};

TEST(InstalledRegistryFile, IsARegistryFileThatReadsWithoutWarnings)
{
    const std::string text = InstalledText();
    EXPECT_EQ(text.rfind("Windows Registry Editor Version 5.00\n", 0), 0u);
    ParseClean(text);
}

TEST(InstalledRegistryFile, FirstPlaceNamesTheSameToolAsTheBuiltInDefault)
{
    const RegDocument installed = ParseClean(InstalledText());
    EXPECT_EQ(TextOf(installed.FindValue(kPathKey, "PATH")), "/usr/bin/hardinfo");
    EXPECT_EQ(TextOf(installed.FindValue(kPathKey, "PATH")),
              TextOf(platform::DefaultMachineRegistry().FindValue(kPathKey, "PATH")));
    // Documented, but only in comments.
    EXPECT_FALSE(installed.HasKey(kFolderKey));
}

TEST(InstalledRegistryFile, LauncherStartsTheToolItNames)
{
    Launch launch;
    launch.launcher.programs = {"/usr/bin/hardinfo"};
    launch.Run(ParseClean(InstalledText()));
    EXPECT_EQ(launch.launcher.started, std::vector<std::string>{"/usr/bin/hardinfo"});
    EXPECT_TRUE(launch.messages.shown.empty());
    // The first place is used without asking whether the file exists.
    EXPECT_TRUE(launch.files.asked.empty());
}

TEST(InstalledRegistryFile, CommentedSecondPlaceWorksOnceUncommented)
{
    const RegDocument edited = ParseClean(WithSecondPlaceInUse(InstalledText()));
    EXPECT_EQ(edited.FindValue(kPathKey, "PATH"), nullptr);
    const std::string folder = TextOf(edited.FindValue(kFolderKey, "MSINFO"));
    ASSERT_EQ(folder.front(), '/') << folder;

    Launch launch;
    const std::string program = folder + "\\MSINFO32.EXE";
    launch.files.files = {program};
    launch.launcher.programs = {program};
    launch.Run(edited);
    EXPECT_EQ(launch.launcher.started, std::vector<std::string>{program});
    EXPECT_TRUE(launch.messages.shown.empty());
}

TEST(InstalledRegistryFile, GoesWhereTheProgramLooksForIt)
{
    // Installed as <sysconfdir>/xdg/<this>; the program searches each
    // $XDG_CONFIG_DIRS entry for the same relative name.
    EXPECT_EQ(std::string(VARNO_REGISTRY_RELATIVE), std::string(platform::kRegFileName));
}

}  // namespace
}  // namespace varno::packaging
