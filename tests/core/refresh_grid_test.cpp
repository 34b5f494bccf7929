#include "core/refresh_grid.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace varno {
namespace {

// What Wine's compositor answers: 60/1, a refresh every 166 666 counts of a
// 10 MHz counter, and a vblank that is always a whole number of them.
constexpr std::int64_t kWineFrequency = 10'000'000;
constexpr std::int64_t kWinePeriod = 166'666;
constexpr std::int64_t kWineVblank = 119'421 * kWinePeriod;
const RefreshRate k60 = RefreshRate::of(60);
const RefreshGrid kWine = RefreshGrid::fromCounter(kWineVblank, kWinePeriod, kWineFrequency);

TEST(RefreshGrid, PlacesRefreshesOnTheCountersClock)
{
    // A 24 MHz counter, as on some machines: a refresh is no whole number
    // of clock units there.
    const RefreshGrid odd = RefreshGrid::fromCounter(24'000'000'000LL, 400'000, 24'000'000);
    const struct {
        const char* what;
        RefreshGrid grid;
        ClockTime time;
        std::int64_t frame;  // the first refresh at or after `time`
    } cases[] = {
        {"exactly on the vblank read", kWine, kWineVblank, 0},
        {"a unit after it", kWine, kWineVblank + 1, 1},
        {"exactly on the next", kWine, kWineVblank + kWinePeriod, 1},
        {"just after ten refreshes back", kWine, kWineVblank - 10 * kWinePeriod + 1, -9},
        {"24 MHz: on the vblank", odd, 10'000'000'000LL, 0},
        {"24 MHz: a third of a refresh on", odd, 10'000'000'000LL + 55'555, 1},
        // Refresh 3 is at 10^10 + 500 000 units exactly.
        {"24 MHz: on refresh 3", odd, 10'000'000'000LL + 500'000, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.grid.frameAtOrAfter(c.time), c.frame);
    }
    // A refresh's own time, rounded down, always names that refresh.
    for (std::int64_t n = -5; n < 3000; n += 7) {
        EXPECT_EQ(kWine.frameAtOrAfter(kWine.timeOf(n)), n);
        EXPECT_EQ(odd.frameAtOrAfter(odd.timeOf(n)), n);
    }
    EXPECT_EQ(kWine.frameTime(), kWinePeriod);
    EXPECT_FALSE(RefreshGrid::fromCounter(kWineVblank, 0, kWineFrequency).known());
    EXPECT_FALSE(RefreshGrid::fromCounter(kWineVblank, kWinePeriod, 0).known());
}

TEST(RefreshGrid, NewerReadingsKeepTheRefreshesNumbers)
{
    const struct {
        const char* what;
        std::int64_t vblank;
        std::int64_t frame;  // the number the reading's vblank keeps
    } cases[] = {
        {"Wine, 100 ms later: six refreshes on", kWineVblank + 6 * kWinePeriod, 6},
        {"a vblank a little late", kWineVblank + 6 * kWinePeriod + kWinePeriod / 3, 6},
        {"an older reading", kWineVblank - 2 * kWinePeriod, -2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const RefreshGrid next = kWine.followedBy(RefreshGrid::fromCounter(c.vblank, kWinePeriod, kWineFrequency));
        EXPECT_EQ(next.frameAtOrAfter(c.vblank), c.frame);
        EXPECT_EQ(next.timeOf(c.frame), c.vblank);
    }
    EXPECT_EQ(kWine.followedBy({}), kWine);
    EXPECT_EQ(RefreshGrid{}.followedBy(kWine), kWine);
}

// Runs a pacer as the timer thread does, waking each time `lateBy` after
// the wake asked for; what each change was aimed at.
std::vector<ChangePacer::Change> run(ChangePacer& pacer, int changes, const std::vector<ClockTime>& lateBy = {},
                                     std::int64_t* passedOver = nullptr)
{
    std::vector<ChangePacer::Change> out;
    for (int i = 0; i < changes; ++i) {
        const ChangePacer::Change change = pacer.next();
        out.push_back(change);
        const std::int64_t passed = pacer.advance(change.wake + (i < int(lateBy.size()) ? lateBy[i] : 0));
        if (passedOver)
            *passedOver += passed;
    }
    return out;
}

TEST(ChangePacer, WakesHalfAFrameBeforeEachChangesRefresh)
{
    // Started a third of the way into a frame.
    const ClockTime start = kWine.timeOf(40) + kWinePeriod / 3;
    const struct {
        const char* what;
        int periodMs;
        std::vector<std::int64_t> steps;  // refreshes between targets
    } cases[] = {
        {"20 ms: 2,1,1,1,1", 20, {2, 1, 1, 1, 1, 2, 1, 1, 1, 1}},
        {"10 ms: every refresh", 10, {1, 1, 1, 1}},
        {"500 ms: 30 each", 500, {30, 30}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ChangePacer pacer;
        pacer.start(start, c.periodMs, k60, kWine);
        ASSERT_TRUE(pacer.paced());
        const auto changes = run(pacer, int(c.steps.size()));
        std::int64_t last = 41;  // the start's refresh
        for (std::size_t i = 0; i < changes.size(); ++i) {
            SCOPED_TRACE(i);
            const ChangePacer::Change& change = changes[i];
            EXPECT_EQ(change.aim.refresh - last, c.steps[i]);
            EXPECT_EQ(change.aim.time, kWine.timeOf(change.aim.refresh));
            EXPECT_EQ(change.wake, change.aim.time - kWinePeriod / 2);
            // Due on its refresh or in the frame before it, to within the
            // rounding of the grid's period (166 666 counts for 1/60 s).
            EXPECT_LE(change.due, change.aim.time + 100);
            EXPECT_GT(change.due, change.aim.time - kWinePeriod);
            // A wake within half a frame either way still fills for the same
            // refresh.
            EXPECT_GE(change.wake - kWinePeriod / 2, kWine.timeOf(change.aim.refresh - 1));
            last = change.aim.refresh;
        }
    }
}

TEST(ChangePacer, HalfTheTimingIsNone)
{
    for (const auto& [rate, grid] : {std::pair{k60, RefreshGrid{}}, std::pair{RefreshRate{}, kWine}}) {
        ChangePacer pacer;
        pacer.start(1'234'567, 20, rate, grid);
        EXPECT_FALSE(pacer.paced());
        EXPECT_EQ(pacer.next().due, 1'234'567 + 200'000);
        EXPECT_FALSE(pacer.next().aim.known());
    }
}

TEST(ChangePacer, ALateWakeNeverShiftsOrBunchesTheChangesAfterIt)
{
    ChangePacer steady;
    steady.start(kWine.timeOf(0), 20, k60, kWine);
    const auto onTime = run(steady, 10);

    ChangePacer held;
    held.start(kWine.timeOf(0), 20, k60, kWine);
    std::int64_t passed = 0;
    // The third wake comes 40 ms late: past its own refresh and the next two.
    const auto changes = run(held, 8, {0, 0, 400'000}, &passed);
    EXPECT_EQ(changes[2].aim.refresh, onTime[2].aim.refresh);
    // It filled for the refresh after its wake; the next change is the first
    // of the grid beyond that one, the grid itself unmoved.
    const std::int64_t reached = kWine.frameAtOrAfter(changes[2].wake + 400'000);
    EXPECT_GT(changes[3].aim.refresh, reached);
    EXPECT_GT(changes[3].wake, changes[2].wake + 400'000);
    EXPECT_EQ(passed, 2);
    for (std::size_t i = 3; i < changes.size(); ++i)
        EXPECT_EQ(changes[i].aim.refresh, onTime[i + passed].aim.refresh);
}

TEST(ChangePacer, ANewPeriodGoesOnFromTheLastChange)
{
    const struct {
        const char* what;
        RefreshRate rate;
        RefreshGrid grid;
    } cases[] = {{"on refreshes", k60, kWine}, {"on the period", {}, {}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ChangePacer pacer;
        pacer.start(kWine.timeOf(0), 20, c.rate, c.grid);
        const auto before = run(pacer, 3);
        pacer.changePeriod(50, c.rate, c.grid);
        const auto after = run(pacer, 2);
        // The last change showed on refresh 4 (20 ms: 2, 3, 4), or was due
        // at 60 ms: 50 ms on, 3 refreshes, or 500 000 units.
        const ClockTime last = c.rate.known() ? before.back().aim.time : before.back().due;
        EXPECT_EQ(after[0].due, last + 500'000);
        EXPECT_EQ(after[1].due - after[0].due, 500'000);
        if (c.rate.known()) {
            EXPECT_EQ(after[0].aim.refresh, before.back().aim.refresh + 3);
        }
    }
}

TEST(ChangePacer, NewTimingGoesOnFromTheLastChange)
{
    const RefreshRate k50 = RefreshRate::of(50);
    const RefreshGrid fifty = RefreshGrid::fromCounter(kWineVblank + 12'345, 200'000, kWineFrequency);
    const struct {
        const char* what;
        RefreshRate rate;
        RefreshGrid reading;
        bool paced;
    } cases[] = {
        {"the same display, read 100 ms on", k60,
         RefreshGrid::fromCounter(kWineVblank + 6 * kWinePeriod, kWinePeriod, kWineFrequency), true},
        {"another display at 50 Hz", k50, fifty, true},
        {"the timing lost", {}, {}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ChangePacer reference;
        reference.start(kWine.timeOf(0), 20, k60, kWine);
        const auto expected = run(reference, 6);

        ChangePacer pacer;
        pacer.start(kWine.timeOf(0), 20, k60, kWine);
        const auto before = run(pacer, 3);
        pacer.retime(c.rate, c.reading);
        EXPECT_EQ(pacer.paced(), c.paced);
        const auto after = run(pacer, 3);
        if (c.rate == k60 && c.paced) {
            // Nothing moves: the same refreshes at the same times.
            for (int i = 0; i < 3; ++i) {
                EXPECT_EQ(after[i].aim.refresh, expected[i + 3].aim.refresh);
                EXPECT_EQ(after[i].wake, expected[i + 3].wake);
            }
            continue;
        }
        // A period after the refresh the last change reached, no sooner.
        const ClockTime lastShown = before.back().aim.time;
        EXPECT_GE(after[0].due, lastShown + 200'000);
        EXPECT_LT(after[0].due, lastShown + 200'000 + 200'000);
        if (c.paced) {
            EXPECT_EQ(pacer.rate(), k50);
            // 20 ms at 50 Hz: one refresh each, on the new grid.
            EXPECT_EQ(after[1].aim.refresh - after[0].aim.refresh, 1);
            EXPECT_EQ(after[0].aim.time, fifty.timeOf(fifty.frameAtOrAfter(after[0].aim.time)));
        } else {
            EXPECT_EQ(after[1].due - after[0].due, 200'000);
        }
    }
}

}  // namespace
}  // namespace varno
