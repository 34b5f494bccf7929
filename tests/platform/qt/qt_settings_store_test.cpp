#include "platform/qt/qt_settings_store.h"

#include <QDir>
#include <QFile>
#include <QSysInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include <sys/stat.h>

namespace varno::platform {
namespace {

constexpr const char* kApp = "ゾルテカ";

// Each test has its own configuration folder; the user's is never touched.
class QtSettingsStoreTest : public testing::Test {
protected:
    QString filePath() const { return dir_.filePath(QString::fromUtf8(kApp) + QStringLiteral(".conf")); }
    std::string mainLeft() { return store_.read(kApp, "Settings", "MainLeft", "1000"); }
    QByteArray contents() const
    {
        QFile file(filePath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir dir_;
    QtSettingsStore store_{dir_.path()};
};

TEST_F(QtSettingsStoreTest, WritesTheFileNamedAfterTheApplicationUnderSettings)
{
    EXPECT_EQ(mainLeft(), "1000") << "no file yet";
    ASSERT_TRUE(store_.write(kApp, "Settings", {{"MainLeft", "7000.5"}, {"MainTop", "-15"}}));
    EXPECT_TRUE(contents().contains("[Settings]\nMainLeft=7000.5\nMainTop=-15\n")) << contents().toStdString();
    EXPECT_EQ(mainLeft(), "7000.5");
    EXPECT_EQ(store_.read(kApp, "Settings", "MainWidth", "6500"), "6500") << "absent key";
}

// What is in the file's place, whether reading it gives the fallback, and
// whether a write succeeds and can be read back.
TEST_F(QtSettingsStoreTest, WhatCannotBeReadCountsAsAbsentAndWritesAreReportedTruly)
{
    const auto write = [this](QByteArray text) {
        QFile file(filePath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    };
    const auto garbage = [&] { write(QByteArray("\x00\x01\xff\xfe[[[=\n===\n[Settings\nMainLeft=5\n", 32)); };
    // Found damaged only once a value is looked up.
    const auto damagedLater = [&] { write("[Settings]\nMainLeft=5\n\"unterminated\n"); };
    const auto fifo = [this] { ASSERT_EQ(::mkfifo(QFile::encodeName(filePath()).constData(), 0600), 0); };
    const auto folder = [this] { ASSERT_TRUE(QDir().mkpath(filePath())); };
    // A stale lock left by a process of this machine killed while writing.
    const auto staleLock = [this] {
        QFile lock(filePath() + QStringLiteral(".lock"));
        ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
        lock.write("4194303\nvarno\n" + QSysInfo::machineHostName().toUtf8() + '\n' + QSysInfo::machineUniqueId() +
                   '\n' + QSysInfo::bootUniqueId() + '\n');
    };
    const auto link = [this](const QString& target) {
        return [this, target] { ASSERT_TRUE(QFile::link(target, filePath())); };
    };
    // A value of x's up to the cap; past it sparse, so that no disk is spent.
    const auto sized = [this](qint64 size, QByteArray text) {
        return [this, size, text] {
            QFile file(filePath());
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(text + QByteArray(std::min(size, kMaxSettingsFileBytes) - text.size(), 'x'));
            ASSERT_TRUE(file.resize(size));
        };
    };
    const QByteArray junkKey = "[Junk]\nk=";
    const struct {
        const char* what;
        std::function<void()> prepare;
        bool written;
    } cases[] = {
        {"garbage: overwritten, and said so", garbage, true},
        {"a damaged line after the value", damagedLater, true},
        {"a FIFO: neither read nor replaced, and no hang", fifo, false},
        {"a folder", folder, false},
        {"a stale lock file", staleLock, true},
        {"a link to a file: the file behind it is written", [&] {
             QFile real(dir_.filePath(QStringLiteral("real.conf")));
             ASSERT_TRUE(real.open(QIODevice::WriteOnly));
             link(real.fileName())();
         }, true},
        {"a link to itself (a loop)", link(filePath()), false},
        {"a link to nothing", link(dir_.filePath(QStringLiteral("missing.conf"))), false},
        {"a file that still fits once the value is added", sized(kMaxSettingsFileBytes - 100, junkKey), true},
        {"a file of exactly the largest size: read, but never grown past it", sized(kMaxSettingsFileBytes, junkKey),
         false},
        {"a file one byte larger", sized(kMaxSettingsFileBytes + 1, junkKey), false},
        {"100 MB of settings, never read", sized(100'000'000, "[Settings]\nMainLeft=5\n" + junkKey), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QDir(dir_.path()).removeRecursively();
        QDir().mkpath(dir_.path());
        c.prepare();
        const QFileInfo before(filePath());
        QtSettingsStore store(dir_.path());
        testing::internal::CaptureStderr();
        EXPECT_EQ(store.read(kApp, "Settings", "MainLeft", "1000"), "1000");
        EXPECT_EQ(store.write(kApp, "Settings", {{"MainLeft", "1500"}}), c.written);
        EXPECT_EQ(store.read(kApp, "Settings", "MainLeft", "1000"), c.written ? "1500" : "1000");
        const std::string said = testing::internal::GetCapturedStderr();
        const QFileInfo after(filePath());
        EXPECT_EQ(after.isSymLink(), before.isSymLink()) << "a link stays a link";
        if (c.written)
            continue;
        // Said once, however often the file is asked for; and still there as it was.
        EXPECT_EQ(said.find("left as it is"), said.rfind("left as it is")) << said;
        EXPECT_NE(said.find("left as it is"), std::string::npos) << said;
        EXPECT_EQ(after.isDir(), before.isDir());
        EXPECT_EQ(after.size(), before.size());
    }
}

TEST_F(QtSettingsStoreTest, FailedWriteIsReportedNotHidden)
{
    // A file where the folder should be: nothing can be written below it.
    const QString blocked = dir_.filePath(QStringLiteral("blocked"));
    QFile(blocked).open(QIODevice::WriteOnly);
    QtSettingsStore store(blocked + QStringLiteral("/sub"));
    EXPECT_FALSE(store.write(kApp, "Settings", {{"MainLeft", "1000"}}));
}

}  // namespace
}  // namespace varno::platform
