#include "platform/qt_launcher.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <stdexcept>

namespace varno::platform {
namespace {

class Launch : public ::testing::Test {
protected:
    // A script that leaves `marker` in the temporary folder when it runs.
    QString Program(const QString& relative, const QString& marker, bool executable = true)
    {
        const QString path = dir.filePath(relative);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("#!/bin/sh\ntouch '%1'\n").arg(dir.filePath(marker)).toUtf8());
        file.close();
        if (executable)
            file.setPermissions(file.permissions() | QFile::ExeOwner);
        return path;
    }

    bool Appears(const QString& marker)
    {
        return QTest::qWaitFor([&] { return QFile::exists(dir.filePath(marker)); }, 20000);
    }

    QTemporaryDir dir;
    QtLauncher launcher;
};

TEST_F(Launch, StartsTheWholePathAsTheProgram)
{
    Program(QStringLiteral("Program"), QStringLiteral("hijacked"));
    Program(QStringLiteral("Program Files/System Info/tool"), QStringLiteral("spaced"));
    Program(QStringLiteral("a;touch injected"), QStringLiteral("semicolon"));

    launcher.Shell(dir.filePath(QStringLiteral("Program Files/System Info/tool")).toStdString(), kNormalFocus);
    launcher.Shell(dir.filePath(QStringLiteral("a;touch injected")).toStdString(), kNormalFocus);
    EXPECT_TRUE(Appears(QStringLiteral("spaced")));
    EXPECT_TRUE(Appears(QStringLiteral("semicolon")));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("hijacked"))));
    EXPECT_FALSE(QFile::exists(QDir::current().filePath(QStringLiteral("injected"))));
}

TEST_F(Launch, ReadsBackslashesAsFolderSeparators)
{
    Program(QStringLiteral("tools/MSINFO32.EXE"), QStringLiteral("ran"));
    launcher.Shell((dir.path() + QStringLiteral("/tools\\MSINFO32.EXE")).toStdString(), kNormalFocus);
    EXPECT_TRUE(Appears(QStringLiteral("ran")));
}

TEST_F(Launch, WhatCannotBeStartedRaises)
{
    Program(QStringLiteral("plain.txt"), QStringLiteral("never"), false);
    QDir(dir.path()).mkdir(QStringLiteral("folder"));
    QFile junk(dir.filePath(QStringLiteral("junk")));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("\x7f" "ELF not really");
    junk.close();
    junk.setPermissions(junk.permissions() | QFile::ExeOwner);
    // Executable text without "#!": only a shell would run it.
    QFile script(dir.filePath(QStringLiteral("noshebang")));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(QStringLiteral("touch '%1'\n").arg(dir.filePath(QStringLiteral("shell"))).toUtf8());
    script.close();
    script.setPermissions(script.permissions() | QFile::ExeOwner);

    for (const QString& path : {QString(), dir.filePath(QStringLiteral("missing")),
                                dir.filePath(QStringLiteral("plain.txt")),
                                dir.filePath(QStringLiteral("folder")), dir.filePath(QStringLiteral("junk")),
                                dir.filePath(QStringLiteral("noshebang")),
                                QStringLiteral("no-such-program-anywhere")})
        EXPECT_THROW(launcher.Shell(path.toStdString(), kNormalFocus), std::runtime_error)
            << path.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("shell"))));
}

}  // namespace
}  // namespace varno::platform
