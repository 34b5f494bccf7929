#include "core/frame_schedule.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace varno {
namespace {

const RefreshRate k60 = RefreshRate::of(60);
const RefreshRate k50 = RefreshRate::of(50);
const RefreshRate k144 = RefreshRate::of(144);
const RefreshRate kNtsc = RefreshRate::of(60000, 1001);  // 59.94 Hz

TEST(RefreshRate, ComesExactFromEverySource)
{
    const struct {
        const char* what;
        RefreshRate rate;
        RefreshRate expected;
    } cases[] = {
        {"reduced", RefreshRate::of(120, 2), {60, 1}},
        {"59.94", RefreshRate::of(60000, 1001), {60000, 1001}},
        {"CEA 1080p60 mode", RefreshRate::fromMode(148'500'000, 2200, 1125, false, false), {60, 1}},
        {"mode of 143.88 Hz", RefreshRate::fromMode(452'500'000, 2672, 1177, false, false),
         RefreshRate::of(452'500'000, 2672 * 1177)},
        {"interlaced: two fields a frame", RefreshRate::fromMode(74'250'000, 2200, 1125, true, false), {60, 1}},
        {"double-scanned: every line twice", RefreshRate::fromMode(25'175'000, 800, 525, false, true),
         RefreshRate::of(25'175'000, 840'000)},
        {"mode without a dot clock (Xvfb)", RefreshRate::fromMode(0, 0, 0, false, false), {}},
        {"feedback refresh 16 666 666 ns", RefreshRate::fromPeriodNs(16'666'666), RefreshRate::of(1'000'000'000, 16'666'666)},
        {"feedback refresh 0: variable", RefreshRate::fromPeriodNs(0), {}},
        {"wl_output 60000 mHz", RefreshRate::fromMilliHertz(60000), {60, 1}},
        {"negative", RefreshRate::of(-60), {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.rate, c.expected);
    }
    EXPECT_EQ(hertzText(kNtsc), "59.94");
    EXPECT_EQ(hertzText(k60), "60");
    EXPECT_EQ(hertzText(RefreshRate::fromMode(452'500'000, 2672, 1177, false, false)), "143.88");
}

TEST(RefreshRate, ConvertsBetweenRefreshesAndTimeOnTheGrid)
{
    EXPECT_EQ(k60.nanosecondsOf(3), 50'000'000);
    EXPECT_EQ(k60.nanosecondsOf(1), 16'666'666);  // rounded down
    EXPECT_EQ(kNtsc.nanosecondsOf(60000), 1001LL * 1'000'000'000);
    EXPECT_EQ(k60.frameAtOrAfter(50'000'000), 3);  // exactly on a refresh: that refresh
    EXPECT_EQ(k60.frameAtOrAfter(50'000'001), 4);
    EXPECT_EQ(k60.frameAtOrAfter(-1), 0);
    // A week of 144 Hz at nanosecond scale stays exact.
    const std::int64_t week = 7LL * 86400 * 144;
    EXPECT_EQ(k144.frameAtOrAfter(k144.nanosecondsOf(week)), week);
}

// The refreshes each change reaches, from a start at refresh 0, for the
// whole cycle: the steps between them are the frames each colour stays.
std::vector<std::int64_t> steps(int periodMs, RefreshRate rate, int changes)
{
    FrameSchedule s;
    s.start(periodMs, rate, 1000);
    std::vector<std::int64_t> out;
    std::int64_t last = 1000;
    for (int i = 0; i < changes; ++i) {
        out.push_back(s.target() - last);
        last = s.target();
        s.advance(last);
    }
    return out;
}

TEST(FrameSchedule, PutsEachChangeOnItsRefresh)
{
    using V = std::vector<std::int64_t>;
    const struct {
        const char* what;
        int periodMs;
        RefreshRate rate;
        V steps;
    } cases[] = {
        {"20 ms at 60 Hz", 20, k60, {2, 1, 1, 1, 1, 2, 1, 1, 1, 1}},
        {"due exactly on a refresh: 20 ms at 50 Hz", 20, k50, {1, 1, 1, 1, 1}},
        {"20 ms at 100 Hz", 20, RefreshRate::of(100), {2, 2, 2, 2}},
        {"20 ms at 144 Hz", 20, k144, {3, 3, 3, 3, 3, 3, 3, 3, 2, 3, 3, 3}},
        {"shorter than a frame: every refresh, never two in one", 16, k60, V(30, 1)},
        {"500 ms at 60 Hz", 500, k60, {30, 30, 30}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(steps(c.periodMs, c.rate, static_cast<int>(c.steps.size())), c.steps);
    }
}

TEST(FrameSchedule, KeepsTheMeanOverWholeCycles)
{
    const struct {
        int periodMs;
        RefreshRate rate;
        int changes;
        std::map<std::int64_t, int> stays;  // frames → how many changes stay that long
    } cases[] = {
        {20, k144, 25, {{2, 3}, {3, 22}}},
        {20, kNtsc, 1001, {{1, 802}, {2, 199}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.periodMs) + " ms at " + hertzText(c.rate));
        std::map<std::int64_t, int> seen;
        std::int64_t total = 0;
        for (const std::int64_t s : steps(c.periodMs, c.rate, c.changes)) {
            ++seen[s];
            total += s;
        }
        EXPECT_EQ(seen, c.stays);
        // A whole cycle takes exactly changes · period.
        EXPECT_EQ(c.rate.nanosecondsOf(total) / 1'000'000, std::int64_t{c.changes} * c.periodMs);
    }
}

TEST(FrameSchedule, LateChangesNeitherShiftTheGridNorShareARefresh)
{
    const struct {
        const char* what;
        int periodMs;
        RefreshRate rate;
        std::vector<std::int64_t> lateBy;   // how many refreshes late each change was shown
        std::vector<std::int64_t> targets;  // each change's target after the start at 0
        std::vector<std::int64_t> passed;   // grid changes passed over after each
    } cases[] = {
        // On time: 2, 3, 4, 5, 6, 8…
        {"late by a frame before a step of two", 20, k60, {0, 0, 0, 0, 1, 0}, {2, 3, 4, 5, 6, 8}, {0, 0, 0, 0, 0, 0}},
        // Change 2 aimed at 3 showed on 4, where change 3 belonged: 3 is passed over.
        {"late onto the next change's refresh", 20, k60, {0, 1, 0}, {2, 3, 5}, {0, 1, 0}},
        {"late by many frames: no burst afterwards", 100, k60, {20, 0}, {6, 30}, {3, 0}},
        {"exact period, late by one", 20, k50, {1, 0, 0}, {1, 3, 4}, {1, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FrameSchedule s;
        s.start(c.periodMs, c.rate, 0);
        std::vector<std::int64_t> targets, passed;
        for (const std::int64_t late : c.lateBy) {
            targets.push_back(s.target());
            passed.push_back(s.advance(s.target() + late));
        }
        EXPECT_EQ(targets, c.targets);
        EXPECT_EQ(passed, c.passed);
    }
}

TEST(FrameSchedule, NewPeriodStartsFromTheLastChangeShown)
{
    FrameSchedule s;
    s.start(20, k60, 500);
    EXPECT_EQ(s.target(), 502);
    EXPECT_EQ(s.dueNs(), 20'000'000);
    // 500 ms from the change shown on refresh 503: 30 frames on.
    s.start(500, k60, 503);
    EXPECT_EQ(s.target(), 533);
    EXPECT_EQ(s.change(), 1);
}

TEST(FrameMapping, TellsWhatTheScreenShows)
{
    const struct {
        int periodMs;
        RefreshRate rate;
        const char* text;
    } cases[] = {
        {20, k60, "画面 60 Hz: 各色 2,1,1,1,1 フレームの繰り返し (平均 20 ms)"},
        {20, k50, "画面 50 Hz: 各色 1 フレームずつ (ちょうど 20 ms)"},
        {500, k60, "画面 60 Hz: 各色 30 フレームずつ (ちょうど 500 ms)"},
        {20, k144, "画面 144 Hz: 各色 3 フレームが 22 回、2 フレームが 3 回で一巡 (平均 20 ms)"},
        {20, kNtsc, "画面 59.94 Hz: 各色 2 フレームが 199 回、1 フレームが 802 回で一巡 (平均 20 ms)"},
        {16, k60, "画面 60 Hz: 1 フレーム (16.67 ms) より短いため毎フレーム切り替え (30 Hz)"},
        {20, RefreshRate::of(60017, 1000), "画面 60.02 Hz: 各色 2 フレームが 20%、1 フレームが 80% (平均 20 ms)"},
        {20, {}, ""},  // the rate unknown: nothing to add
        {0, k60, ""},  // the colour holds
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.periodMs) + " ms");
        EXPECT_EQ(onScreenText(c.periodMs, c.rate), c.text);
    }
    const FrameMapping m = mapPeriod(16, k60);
    EXPECT_TRUE(m.fasterThanScreen);
    EXPECT_NEAR(m.meanMs, 16.667, 0.001);
    EXPECT_DOUBLE_EQ(mapPeriod(20, k60).hertz, 25.0);
}

TEST(RateMeasurement, CountsOnlyOverEnoughRefreshes)
{
    RateMeasurement m;
    m.add(1000, 5'000'000);
    m.add(1299, 5'000'000 + 299 * 16'667);
    EXPECT_FALSE(m.rate().known());
    m.add(1300, 5'000'000 + 300 * 6'944);  // 144.009 Hz over 300 refreshes
    EXPECT_EQ(m.rate(), RefreshRate::of(144));
    m.reset();
    EXPECT_FALSE(m.rate().known());
}

TEST(RateMeasurement, StandsForTheNominalRateNearIt)
{
    const struct {
        double hz;
        RefreshRate nominal;
    } cases[] = {
        {59.968, RefreshRate::of(60)},  // Xvfb's 60, measured on a timer
        {49.985, RefreshRate::of(50)},
        {144.113, RefreshRate::of(144)},
        {59.9406, kNtsc},
        {75.3004, RefreshRate::of(75300, 1000)},  // no nominal rate near: a thousandth of a hertz
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.hz);
        EXPECT_EQ(nominalRate(RefreshRate::of(static_cast<std::int64_t>(c.hz * 1e6), 1'000'000)), c.nominal);
    }
}

TEST(ChangeTally, SummarisesInTheLogsClosingLine)
{
    ChangeTally t;
    for (const auto& [target, reached, skipped] :
         {std::tuple{10, 10, false}, {12, 13, false}, {14, 14, true}, {16, 15, false}})
        t.count(outcomeOf(target, reached, skipped));
    EXPECT_EQ(summaryLine(t, kNtsc, RefreshSource::Mode, Timestamps::Server),
              "summary changes=4 on_target=2 late=1 skipped=1 refresh_hz=59.94 refresh_source=mode timestamps=server");
    EXPECT_EQ(summaryLine({}, {}, RefreshSource::Unknown, Timestamps::None),
              "summary changes=0 on_target=0 late=0 skipped=0 refresh_hz=0 refresh_source=unknown timestamps=none");
}

}  // namespace
}  // namespace varno
