#include "core/period_schedule.h"

#include <gtest/gtest.h>

#include <vector>

namespace varno {
namespace {

TEST(PeriodSchedule, CounterReadingsConvertWithoutOverflow)
{
    const struct {
        std::int64_t counts, frequency;
        ClockTime expected;
    } cases[] = {
        {10'000'000, 10'000'000, 10'000'000},
        {3'579'545, 3'579'545, 10'000'000},                   // the old ACPI timer rate
        {3'579'544, 3'579'545, 9'999'997},                    // rounded down, never up
        {30LL * 86400 * 10'000'000, 10'000'000, 30LL * 86400 * 10'000'000},  // a month up: counts * 10^7 overflows
        {24LL * 3600 * 2'400'000'000 + 1'200'000'000, 2'400'000'000, 24LL * 3600 * 10'000'000 + 5'000'000},
        {5, 0, 0},  // no counter
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.counts) + " at " + std::to_string(c.frequency));
        EXPECT_EQ(counterToClockTime(c.counts, c.frequency), c.expected);
    }
}

// Waits that end late, each served where it ended: the due times stay on the
// grid of the start, so the late ones never add up.
TEST(PeriodSchedule, LateWakesNeitherDriftNorBurst)
{
    constexpr ClockTime ms = kClockUnitsPerMs;
    const struct {
        const char* what;
        int periodMs;
        std::vector<ClockTime> wokeLate;  // how late each wait ended
        std::vector<ClockTime> dues;      // due times after each wake, from the start
        std::vector<std::int64_t> skipped;
    } runs[] = {
        {"on time", 20, {0, 0, 0}, {40 * ms, 60 * ms, 80 * ms}, {0, 0, 0}},
        {"Wine's two milliseconds late, every time", 20, {2 * ms, 2 * ms, 2 * ms}, {40 * ms, 60 * ms, 80 * ms},
         {0, 0, 0}},
        {"one wake a period and more late skips what it missed", 20, {0, 45 * ms, 0},
         {40 * ms, 100 * ms, 120 * ms}, {0, 2, 0}},
        {"exactly a period late: that tick is gone", 20, {20 * ms}, {60 * ms}, {1}},
        {"the shortest period", 1, {0, 3 * ms}, {2 * ms, 6 * ms}, {0, 3}},
    };
    for (const auto& run : runs) {
        SCOPED_TRACE(run.what);
        constexpr ClockTime start = 123'456'789;
        PeriodSchedule schedule;
        schedule.start(start, run.periodMs);
        ASSERT_EQ(schedule.due(), start + run.periodMs * ms);
        for (std::size_t i = 0; i < run.wokeLate.size(); ++i) {
            SCOPED_TRACE("wake " + std::to_string(i));
            const ClockTime woke = schedule.due() + run.wokeLate[i];
            EXPECT_EQ(schedule.advance(woke), run.skipped[i]);
            EXPECT_EQ(schedule.due() - start, run.dues[i]);
            EXPECT_GT(schedule.due(), woke);
            EXPECT_EQ(schedule.waitFrom(woke), schedule.due() - woke);
        }
    }
}

TEST(PeriodSchedule, AWaitIsNeverZeroOrNegative)
{
    PeriodSchedule schedule;
    schedule.start(1000, 20);
    for (const ClockTime now : {schedule.due(), schedule.due() + 5, schedule.due() - 1}) {
        SCOPED_TRACE(now - schedule.due());
        EXPECT_GE(schedule.waitFrom(now), 1);
    }
}

}  // namespace
}  // namespace varno
