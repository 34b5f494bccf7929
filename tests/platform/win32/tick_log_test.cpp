// The tick log as the window writes it: a line a flip, then each run's
// closing line; where its file cannot be written, and past its capacity.
#include "platform/win32/tick_log.h"

#include "win32_test_support.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace varno::platform::win32 {
namespace {

using namespace win32_testing;

std::vector<std::string> linesOf(const std::wstring& path)
{
    std::ifstream in{std::filesystem::path(path), std::ios::binary};  // a stray \r shows
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

TickLog logTo(const std::wstring& path)
{
    SetEnvironmentVariableW(L"VARNO_TICK_LOG", path.c_str());
    TickLog log = TickLog::fromEnvironment();
    SetEnvironmentVariableW(L"VARNO_TICK_LOG", nullptr);
    return log;
}

TEST(TickLog, JudgesEachChangeByItsRefreshAndClosesEachRun)
{
    const std::wstring path = ScratchDir() + L"ticks.log";
    TickLog log = logTo(path);
    ASSERT_TRUE(log.enabled());

    constexpr ClockTime kFrame = 166'666;
    const auto aim = [](std::int64_t refresh) { return RefreshAim{refresh, refresh * kFrame, kFrame}; };
    const struct {
        const char* what;
        std::int64_t refresh;
        ClockTime painted;  // after the refresh's own time
    } changes[] = {
        {"filled in time", 2, -1000},
        {"a little late: shown a refresh later", 3, 10},
        {"late, and the next filled before it could show", 4, 10},
        {"filled in time again", 5, -10},
    };
    for (const auto& c : changes)
        log.record(c.refresh * kFrame - 200'000, c.refresh * kFrame - 90'000, c.refresh * kFrame + c.painted, 0,
                   aim(c.refresh));
    log.finish(RefreshRate::of(60), RefreshSource::Dwm, Timestamps::Predicted);
    // A stop with nothing blinked adds nothing.
    log.finish(RefreshRate::of(60), RefreshSource::Dwm, Timestamps::Predicted);
    // Where the timing failed: no refresh to aim at, nothing to judge by.
    log.record(1'000'000, 1'000'300, 1'000'900, 2, RefreshAim{});
    log.finish({}, RefreshSource::Unknown, Timestamps::None);

    const std::vector<std::string> expected = {
        "13333 24333 33233 0 2 33333",
        "29999 40999 50000 0 3 49999",
        "46666 57666 66667 0 4 66666",
        "63333 74333 83332 0 5 83333",
        "summary changes=4 on_target=2 late=1 skipped=1 refresh_hz=60 refresh_source=dwm timestamps=predicted",
        "100000 100030 100090 2 -1 -1",
        "summary changes=1 on_target=0 late=0 skipped=0 refresh_hz=0 refresh_source=unknown timestamps=none",
    };
    EXPECT_EQ(linesOf(path), expected);
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
        TickLog log = logTo(path);
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
        TickLog log = logTo(path);
        for (int i = 0; i < kCapacity + 5; ++i)
            log.record(10 * i, 10 * i + 1, 10 * i + 2, 0, RefreshAim{});
        log.flush();
        log.record(10, 20, 30, 0, RefreshAim{});
    }
    const auto lines = linesOf(path);
    ASSERT_EQ(lines.size(), std::size_t(kCapacity + 2));
    EXPECT_EQ(lines[0], "0 0 0 0 -1 -1");
    EXPECT_EQ(lines[kCapacity], "# 5 flips not logged: more than 131072 between writes");
    EXPECT_EQ(lines[kCapacity + 1], "1 2 3 0 -1 -1");
}

}  // namespace
}  // namespace varno::platform::win32
