#include "platform/qt/qt_launcher.h"

#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace varno::platform {
namespace {

namespace fs = std::filesystem;

class Launch : public ::testing::Test {
protected:
    // An executable file that, run, leaves `marker` in the folder.
    std::string Write(const std::string& relative, const std::string& marker, const char* head = "#!/bin/sh\n")
    {
        fs::create_directories((root / relative).parent_path());
        std::ofstream(root / relative) << head << "touch '" << (root / marker).string() << "'\n";
        fs::permissions(root / relative, fs::perms::owner_exec, fs::perm_options::add);
        return (root / relative).string();
    }

    QTemporaryDir dir;
    fs::path root = dir.path().toStdString();
    QtLauncher launcher;
};

TEST_F(Launch, RunsTheWholePathWithoutAShell)
{
    launcher.start(Write("Program Files/Info/tool", "spaced"), kNormalFocus);
    launcher.start(Write("a;touch b", "semicolon"), kNormalFocus);
    Write("Program Files/Info/MSINFO32.EXE", "backslashes");
    launcher.start(root.string() + "/Program Files\\Info\\MSINFO32.EXE", kNormalFocus);
    for (const char* marker : {"spaced", "semicolon", "backslashes"})
        EXPECT_TRUE(QTest::qWaitFor([&] { return fs::exists(root / marker); }, 20000)) << marker;
}

TEST_F(Launch, WhatCannotBeStartedThrows)
{
    fs::create_directory(root / "folder");
    std::ofstream(root / "plain") << "#!/bin/sh\n";
    for (const std::string& path : {std::string(), (root / "missing").string(), (root / "folder").string(),
                                    (root / "plain").string(), Write("no-#!", "ran", ""),  // only a shell runs it
                                    std::string("no-such-program-anywhere")})
        EXPECT_THROW(launcher.start(path, kNormalFocus), std::runtime_error) << path;
}

}  // namespace
}  // namespace varno::platform
