#include "platform/qt/qt_settings_store.h"

#include <QDir>
#include <QFile>
#include <QSysInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

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
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QDir(dir_.path()).removeRecursively();
        QDir().mkpath(dir_.path());
        c.prepare();
        EXPECT_EQ(mainLeft(), "1000");
        EXPECT_EQ(store_.write(kApp, "Settings", {{"MainLeft", "1500"}}), c.written);
        EXPECT_EQ(mainLeft(), c.written ? "1500" : "1000");
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
