#include "platform/qt_settings_store.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace varno::platform {
namespace {

constexpr const char* kApp = "ゾルテカ";

// Each test gets its own configuration folder; the user's is never touched.
class QtSettingsStoreTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir_.path());
    }

    QString FilePath() const { return dir_.filePath(QString::fromUtf8(kApp) + QStringLiteral(".conf")); }
    std::string MainLeft() { return store_.GetSetting(kApp, "Settings", "MainLeft", "1000"); }

    QTemporaryDir dir_;
    QtSettingsStore store_;
};

TEST_F(QtSettingsStoreTest, WritesTheFileNamedAfterTheApplicationUnderSettings)
{
    EXPECT_EQ(MainLeft(), "1000") << "no file yet";
    ASSERT_TRUE(store_.SaveSetting(kApp, "Settings", "MainLeft", "7000.5"));
    QFile file(FilePath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << FilePath().toStdString();
    EXPECT_TRUE(file.readAll().contains("[Settings]\nMainLeft=7000.5"));
    EXPECT_EQ(MainLeft(), "7000.5");
    EXPECT_EQ(store_.GetSetting(kApp, "Settings", "MainTop", "1000"), "1000") << "absent key";
}

TEST_F(QtSettingsStoreTest, GarbageOrUnreadableFileCountsAsAbsent)
{
    QFile file(FilePath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray("\x00\x01\xff\xfe[[[=\n===\n[Settings\nMainLeft=5\n", 32));
    file.close();
    EXPECT_EQ(MainLeft(), "1000");
    // A folder in the file's place cannot be read, even by root.
    ASSERT_TRUE(file.remove() && QDir().mkpath(FilePath()));
    EXPECT_EQ(MainLeft(), "1000");
}

TEST_F(QtSettingsStoreTest, FailedWriteIsReportedNotHidden)
{
    // A file where the folder should be: nothing can be written below it.
    const QString blocked = dir_.filePath(QStringLiteral("blocked"));
    QFile(blocked).open(QIODevice::WriteOnly);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, blocked + QStringLiteral("/sub"));
    EXPECT_FALSE(store_.SaveSetting(kApp, "Settings", "MainLeft", "1000"));
}

}  // namespace
}  // namespace varno::platform
