// The tick log where its file cannot be written, and past its capacity.
#include "platform/win32/tick_log.h"
#include "win32_test_support.h"

#include <filesystem>
#include <fstream>
#include <string>

namespace varno::platform::win32 {
namespace {

using namespace win32_testing;

std::vector<std::string> Lines(const std::wstring& path)
{
    std::ifstream in{std::filesystem::path(path)};
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

TickLog LogTo(const std::wstring& path)
{
    SetEnvironmentVariableW(L"VARNO_TICK_LOG", path.c_str());
    TickLog log = TickLog::fromEnvironment();
    SetEnvironmentVariableW(L"VARNO_TICK_LOG", nullptr);
    return log;
}

// Places that cannot take the log: flushing them neither hangs nor harms
// what is there, and a flip recorded afterwards costs nothing more.
TEST_F(Win32, TickLogThatCannotBeWrittenLeavesItsPlaceAsItWas)
{
    const std::wstring dir = ScratchDir();
    std::filesystem::create_directories(dir + L"folder");
    const std::wstring longName = dir + std::wstring(300, L'x') + L".log";
    for (const std::wstring& path : {dir + L"folder", dir + L"missing\\ticks.log", longName}) {
        SCOPED_TRACE(wideToUtf8(path.substr(dir.size(), 40)));
        TickLog log = LogTo(path);
        EXPECT_TRUE(log.enabled()) << "read at any length";
        log.record(10, 20, 30, 0, RefreshAim{});
        log.flush();
        log.record(40, 50, 60, 0, RefreshAim{});
        log.flush();
    }
    EXPECT_TRUE(std::filesystem::is_directory(dir + L"folder"));
    EXPECT_TRUE(std::filesystem::is_empty(dir + L"folder"));
    EXPECT_FALSE(std::filesystem::exists(dir + L"missing"));
}

// Flips past the capacity are counted in the file, not lost without a word;
// the count starts again after each write.
TEST_F(Win32, TickLogNotesFlipsPastItsCapacity)
{
    const std::wstring path = ScratchDir() + L"ticks.log";
    constexpr int kCapacity = 1 << 17;
    {
        TickLog log = LogTo(path);
        for (int i = 0; i < kCapacity + 5; ++i)
            log.record(10 * i, 10 * i + 1, 10 * i + 2, 0, RefreshAim{});
        log.flush();
        log.record(10, 20, 30, 0, RefreshAim{});
    }
    const auto lines = Lines(path);
    ASSERT_EQ(lines.size(), std::size_t(kCapacity + 2));
    EXPECT_EQ(lines[0], "0 0 0 0 -1 -1");
    EXPECT_EQ(lines[kCapacity], "# 5 flips not logged: more than 131072 between writes");
    EXPECT_EQ(lines[kCapacity + 1], "1 2 3 0 -1 -1");
}

}  // namespace
}  // namespace varno::platform::win32
