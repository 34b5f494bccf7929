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
        old_ = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", dir_.path().toUtf8());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir_.path());
    }
    void TearDown() override { qputenv("XDG_CONFIG_HOME", old_); }

    QString FilePath() const { return dir_.filePath(QString::fromUtf8(kApp) + QStringLiteral(".conf")); }

    QTemporaryDir dir_;
    QByteArray old_;
    QtSettingsStore store_;
};

TEST_F(QtSettingsStoreTest, WritesTheFileNamedAfterTheApplicationUnderSettings)
{
    ASSERT_TRUE(store_.SaveSetting(kApp, "Settings", "MainWidth", "7000.5"));
    ASSERT_TRUE(store_.SaveSetting(kApp, "Settings", "MainLeft", "1000"));
    QFile file(FilePath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << FilePath().toStdString();
    const QByteArray text = file.readAll();
    EXPECT_TRUE(text.contains("[Settings]")) << text.constData();
    EXPECT_TRUE(text.contains("MainWidth=7000.5")) << text.constData();
    EXPECT_TRUE(text.contains("MainLeft=1000")) << text.constData();
    EXPECT_EQ(store_.GetSetting(kApp, "Settings", "MainWidth", "6500"), "7000.5");
}

TEST_F(QtSettingsStoreTest, AbsentKeyOrFileGivesTheDefault)
{
    EXPECT_EQ(store_.GetSetting(kApp, "Settings", "MainTop", "1000"), "1000");
    ASSERT_TRUE(store_.SaveSetting(kApp, "Settings", "MainLeft", "5"));
    EXPECT_EQ(store_.GetSetting(kApp, "Settings", "MainTop", "1000"), "1000");
    EXPECT_EQ(store_.GetSetting(kApp, "Other", "MainLeft", "1000"), "1000");
}

TEST_F(QtSettingsStoreTest, GarbageFileCountsAsAbsent)
{
    {
        QFile file(FilePath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QByteArray("\x00\x01\xff\xfe[[[=\n===\n[Settings\nMainLeft=5\n", 32));
    }
    EXPECT_EQ(store_.GetSetting(kApp, "Settings", "MainLeft", "1000"), "1000");
}

TEST_F(QtSettingsStoreTest, UnreadableFileCountsAsAbsent)
{
    // A folder in the file's place cannot be read, even by root.
    ASSERT_TRUE(QDir().mkpath(FilePath()));
    EXPECT_EQ(store_.GetSetting(kApp, "Settings", "MainLeft", "1000"), "1000");
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
