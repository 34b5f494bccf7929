// The tick log as the window writes it: a line a flip, then each run's
// closing line.
#include "platform/win32/tick_log.h"

#include "win32_test_support.h"

#include <cstdio>
#include <string>
#include <vector>

namespace varno::platform::win32 {
namespace {

using win32_testing::ScratchDir;

std::vector<std::string> linesOf(const std::wstring& path)
{
    std::vector<std::string> lines;
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (!file)
        return lines;
    char line[256];
    while (std::fgets(line, sizeof line, file)) {
        std::string text = line;
        if (!text.empty() && text.back() == '\n')
            text.pop_back();
        lines.push_back(text);
    }
    std::fclose(file);
    return lines;
}

TEST(TickLog, JudgesEachChangeByItsRefreshAndClosesEachRun)
{
    const std::wstring path = ScratchDir() + L"ticks.log";
    SetEnvironmentVariableW(L"VARNO_TICK_LOG", path.c_str());
    TickLog log = TickLog::fromEnvironment();
    SetEnvironmentVariableW(L"VARNO_TICK_LOG", nullptr);
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

}  // namespace
}  // namespace varno::platform::win32
