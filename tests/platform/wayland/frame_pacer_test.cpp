// The pacing of colour changes on a compositor's frames, against a model
// compositor in virtual time: refreshes on a fixed grid, each latching the
// last change committed before it (an earlier one is discarded), frame
// callbacks at the refresh after they were asked for, none while hidden.
#include "platform/posix/flip_log.h"
#include "platform/wayland/frame_pacer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace varno::platform {
namespace {

constexpr std::int64_t kMs = 1'000'000;

struct Compositor : FramePacer::Host {
    RefreshRate rate = RefreshRate::of(60);
    std::uint32_t reportedRefreshNs = 16'666'666;
    std::uint32_t flags = 0;
    bool shown = true;
    bool hasSurface = true;
    bool discardNext = false;

    std::int64_t now = 1'000 * kMs;
    std::int64_t timerAt = -1;
    bool frameAsked = false;
    std::vector<int> latching;    // the ticket committed since the last refresh
    std::vector<int> superseded;  // tickets to be told they were discarded
    FramePacer* pacer = nullptr;

    struct Change {
        std::int64_t at;
        bool onCallback;
        std::int64_t presented = -1;  // the refresh it was shown on
    };
    std::map<int, std::size_t> byTicket;
    std::vector<Change> changes;
    bool inCallback = false;
    int emptyCommits = 0;
    int rateChanges = 0;

    bool commitChange(int ticket, bool withFrame) override
    {
        if (!hasSurface)
            return false;
        byTicket[ticket] = changes.size();
        changes.push_back({now, inCallback});
        // A commit supersedes one not shown yet, whose feedback says so.
        superseded.insert(superseded.end(), latching.begin(), latching.end());
        latching.assign(1, ticket);
        frameAsked = frameAsked || withFrame;
        return true;
    }
    bool requestFrame() override
    {
        if (!hasSurface)
            return false;
        ++emptyCommits;
        frameAsked = true;
        return true;
    }
    void armTimer(std::int64_t atNs) override { timerAt = atNs; }
    void rateChanged() override { ++rateChanges; }

    std::int64_t refreshTime(std::int64_t k) const { return rate.nanosecondsOf(k); }
    std::int64_t nextRefresh() const { return refreshTime(rate.frameAtOrAfter(now + 1)); }

    void refresh()
    {
        const std::int64_t k = rate.frameAtOrAfter(now);
        if (!shown)
            return;  // nothing latched, no callback
        std::vector<int> latched;
        latched.swap(latching);
        for (const int ticket : latched) {
            if (discardNext) {
                discardNext = false;
                pacer->discarded(ticket);
            } else {
                changes[byTicket[ticket]].presented = k;
                pacer->presented(ticket, now, reportedRefreshNs, 0, flags);
            }
        }
        if (frameAsked) {
            frameAsked = false;
            inCallback = true;
            pacer->frameDone(now);
            inCallback = false;
        }
    }

    // Runs the model until `until`.
    void runUntil(std::int64_t until)
    {
        while (true) {
            std::vector<int> discards;
            discards.swap(superseded);
            for (const int ticket : discards)
                pacer->discarded(ticket);
            const bool wantsRefresh = shown && (frameAsked || !latching.empty());
            std::int64_t next = wantsRefresh ? nextRefresh() : INT64_MAX;
            const bool timer = timerAt >= 0 && timerAt <= next;
            if (timer)
                next = std::max(timerAt, now);
            if (next > until) {
                now = until;
                return;
            }
            now = next;
            if (timer) {
                timerAt = -1;
                pacer->timerFired(now);
            } else {
                refresh();
            }
        }
    }
};

struct TempLog {
    std::string path = testing::TempDir() + "frame-pacer-" + std::to_string(getpid()) + ".log";
    ~TempLog() { std::remove(path.c_str()); }
    std::vector<std::string> lines() const
    {
        std::ifstream in(path);
        std::vector<std::string> all;
        for (std::string line; std::getline(in, line);)
            all.push_back(line);
        return all;
    }
};

struct Paced {
    Compositor compositor;
    FramePacer pacer{compositor};
    TempLog file;
    FlipLog log{file.path};

    explicit Paced(RefreshRate rate = RefreshRate::of(60))
    {
        compositor.pacer = &pacer;
        compositor.rate = rate;
        compositor.reportedRefreshNs = static_cast<std::uint32_t>(rate.nanosecondsOf(1));
        pacer.setLog(&log);
        pacer.outputRefresh(rate.frames * 1000 / rate.seconds);
    }
    void start(int periodMs) { pacer.start(periodMs, compositor.now); }
    void run(std::int64_t ms) { compositor.runUntil(compositor.now + ms * kMs); }
    std::vector<std::string> stopAndRead()
    {
        pacer.stop(compositor.now);
        run(500);
        return file.lines();
    }
};

// Refreshes between the changes shown, as "steps:count".
std::map<std::int64_t, int> steps(const std::vector<Compositor::Change>& changes)
{
    std::map<std::int64_t, int> found;
    std::int64_t last = -1;
    for (const auto& c : changes) {
        if (c.presented < 0)
            continue;
        if (last >= 0)
            ++found[c.presented - last];
        last = c.presented;
    }
    return found;
}

TEST(FramePacer, EachChangeOnItsOwnRefreshOnTheRefreshPattern)
{
    struct Case {
        int periodMs;
        RefreshRate rate;
        std::int64_t step;              // refreshes from one change to the next
        int longerMin, longerMax;       // steps of one refresh more, in 99
    };
    for (const Case& c : {
             Case{20, RefreshRate::of(60), 1, 19, 20},  // 2,1,1,1,1
             Case{20, RefreshRate::of(50), 1, 0, 0},
             Case{50, RefreshRate::of(60), 3, 0, 0},
             Case{10, RefreshRate::of(60), 1, 0, 0},  // shorter than a frame: every refresh
             Case{20, RefreshRate::of(144), 2, 87, 88},  // 3 frames 22 times in 25
         }) {
        SCOPED_TRACE(std::to_string(c.periodMs) + " ms at " + hertzText(c.rate) + " Hz");
        Paced p(c.rate);
        p.compositor.flags = FramePacer::kVsync | FramePacer::kHwClock | FramePacer::kHwCompletion;
        p.start(c.periodMs);
        // Until the 100th change is shown.
        while (std::count_if(p.compositor.changes.begin(), p.compositor.changes.end(),
                             [](const auto& ch) { return ch.presented >= 0; }) < 100)
            p.run(1);
        const auto changes = std::vector(p.compositor.changes.begin(), p.compositor.changes.begin() + 100);
        const auto found = steps(changes);
        EXPECT_EQ(found.size(), c.longerMax > 0 ? 2u : 1u);
        EXPECT_EQ(found.count(c.step) ? found.at(c.step) : 0, 99 - (found.count(c.step + 1) ? found.at(c.step + 1) : 0));
        const int longer = found.count(c.step + 1) ? found.at(c.step + 1) : 0;
        EXPECT_GE(longer, c.longerMin);
        EXPECT_LE(longer, c.longerMax);
        for (const auto& ch : changes)
            EXPECT_TRUE(ch.onCallback) << "at " << ch.at;
        const auto lines = p.stopAndRead();
        ASSERT_GE(lines.size(), 2u);
        EXPECT_NE(lines.back().find("skipped=0 "), std::string::npos) << lines.back();
        EXPECT_NE(lines[lines.size() - 2][0], '#') << "hardware times need no note";
        // Only the first change may come a refresh late: without a frame
        // to go by yet, its callback can come on the refresh it aimed at.
        for (std::size_t i = 1; i + 2 < lines.size(); ++i)
            EXPECT_EQ(lines[i].find(" late"), std::string::npos) << lines[i];
        EXPECT_NE(lines.back().find(" refresh_source=compositor timestamps=compositor"), std::string::npos)
            << lines.back();
        EXPECT_EQ(p.pacer.rate(), c.rate) << "a refresh in whole nanoseconds keeps the exact rate";
    }
}

TEST(FramePacer, NothingIsCommittedBetweenChangesALongPeriodApart)
{
    Paced p;
    p.start(500);
    p.run(5'050);
    ASSERT_EQ(p.compositor.changes.size(), 10u);
    // One callback asked for about a frame before each change, none between.
    EXPECT_LE(p.compositor.emptyCommits, 10 * 2);
    p.pacer.stop(p.compositor.now);
    p.run(400);
    const int afterStop = p.compositor.emptyCommits;
    p.run(10'000);
    EXPECT_EQ(p.compositor.emptyCommits, afterStop);
    EXPECT_EQ(p.compositor.timerAt, -1) << "stopped, nothing wakes";
}

TEST(FramePacer, AHiddenSurfaceKeepsTheGridAndResynchronises)
{
    Paced p;
    const std::int64_t startUs = p.compositor.now / 1000;
    p.start(20);
    p.run(200);
    const std::size_t visible = p.compositor.changes.size();
    p.compositor.shown = false;
    p.run(1'500);
    const std::size_t hidden = p.compositor.changes.size() - visible;
    // A change every period on the timer, once a callback is overdue.
    EXPECT_GE(hidden, 55u);
    EXPECT_LE(hidden, 76u);
    p.compositor.shown = true;
    p.run(500);
    std::size_t onCallbacksAfter = 0;
    for (std::size_t i = visible + hidden; i < p.compositor.changes.size(); ++i)
        onCallbacksAfter += p.compositor.changes[i].onCallback;
    EXPECT_GE(onCallbacksAfter, 20u) << "back on the frames";
    const auto lines = p.stopAndRead();
    // Every change's due time lies on the grid of the start, in order.
    std::int64_t lastDue = 0;
    int records = 0;
    for (const std::string& line : lines) {
        if (line.rfind("summary", 0) == 0 || line[0] == '#')
            continue;
        std::istringstream fields(line);
        std::int64_t due = 0;
        fields >> due;
        EXPECT_EQ((due - startUs) % 20'000, 0) << line;
        EXPECT_GT(due, lastDue) << line;
        lastDue = due;
        ++records;
    }
    EXPECT_EQ(records, static_cast<int>(p.compositor.changes.size()));
    // The changes sent while hidden were never shown; the last of them came
    // up when the surface showed again.
    EXPECT_NE(lines.back().find("skipped=" + std::to_string(hidden - 1) + " "), std::string::npos) << lines.back();
}

TEST(FramePacer, DiscardedChangesAreSkippedAndFeedbackIsKeptPerChange)
{
    Paced p;
    p.start(50);
    p.run(300);
    p.compositor.discardNext = true;
    p.run(300);
    const auto lines = p.stopAndRead();
    int skipped = 0, shown = 0;
    for (const std::string& line : lines) {
        skipped += line.find(" skipped") != std::string::npos && line.rfind("summary", 0) != 0;
        shown += line.find(" on_target") != std::string::npos && line.rfind("summary", 0) != 0;
    }
    EXPECT_EQ(skipped, 1);
    EXPECT_EQ(shown + skipped, static_cast<int>(p.compositor.changes.size()));
    EXPECT_NE(lines.back().find("skipped=1 "), std::string::npos) << lines.back();
}

TEST(FramePacer, TheRateComesFromTheFeedbackAndElseTheOutputMode)
{
    struct Case {
        const char* what;
        bool mode;
        std::uint32_t refreshNs;  // reported with each feedback
        RefreshRate expected;
        RefreshSource source;
        const char* summary;
        bool everyChangeOut;  // the mode and the feedback agree on the grid
    };
    for (const Case& c : {
             Case{"60 Hz mode, feedback in whole ns", true, 16'666'666, RefreshRate::of(60), RefreshSource::Compositor,
                  "refresh_hz=60 refresh_source=compositor", true},
             Case{"the feedback corrects the mode", true, 6'944'444, RefreshRate::fromPeriodNs(6'944'444),
                  RefreshSource::Compositor, "refresh_hz=144 refresh_source=compositor", false},
             Case{"variable refresh", true, 0, RefreshRate{}, RefreshSource::Compositor,
                  "refresh_hz=0 refresh_source=compositor", true},
         }) {
        SCOPED_TRACE(c.what);
        Paced p;
        EXPECT_EQ(p.pacer.rate(), RefreshRate::of(60));
        EXPECT_EQ(p.pacer.source(), RefreshSource::Mode);
        p.compositor.reportedRefreshNs = c.refreshNs;
        p.start(20);
        p.run(2'001);
        EXPECT_EQ(p.pacer.rate(), c.expected);
        EXPECT_EQ(p.pacer.source(), c.source);
        // Times that may lie anywhere in a frame cannot tell a late change,
        // so every change of the grid goes out.
        EXPECT_GE(p.compositor.changes.size(), 90u);
        if (c.everyChangeOut) {
            EXPECT_EQ(p.compositor.changes.size(), 100u);
        }
        const auto lines = p.stopAndRead();
        EXPECT_NE(lines.back().find(c.summary), std::string::npos) << lines.back();
        EXPECT_NE(lines.back().find("skipped=0 "), std::string::npos) << lines.back();
        EXPECT_EQ(lines[lines.size() - 2].rfind("# timestamps approximate", 0), 0u) << "no hardware flags";
    }
    Compositor quiet;
    FramePacer none(quiet);
    EXPECT_FALSE(none.rate().known());
    EXPECT_EQ(none.source(), RefreshSource::Unknown);
}

TEST(PresentationClock, TimesOnTheCompositorsClockComeOutOnOurs)
{
    const auto read = [](clockid_t clock) {
        timespec t{};
        clock_gettime(clock, &t);
        return t;
    };
    const auto ns = [](timespec t) { return std::int64_t{t.tv_sec} * 1'000'000'000 + t.tv_nsec; };
    const timespec mono = read(CLOCK_MONOTONIC);
    EXPECT_EQ(presentationToMonotonic(CLOCK_MONOTONIC, mono.tv_sec, mono.tv_nsec), ns(mono));
    // The raw clock parts from ours as NTP slews it (by 0.2 s on this
    // machine within half an hour): a raw time read between two of ours
    // comes out between them.
    const std::int64_t before = ns(read(CLOCK_MONOTONIC));
    const timespec raw = read(CLOCK_MONOTONIC_RAW);
    const std::int64_t after = ns(read(CLOCK_MONOTONIC));
    const std::int64_t converted = presentationToMonotonic(CLOCK_MONOTONIC_RAW, raw.tv_sec, raw.tv_nsec);
    EXPECT_GE(converted, before - 1'000'000);
    EXPECT_LE(converted, after + 1'000'000);
    EXPECT_EQ(presentationToMonotonic(12345, 1, 0), -1) << "a clock this system cannot read";
    EXPECT_EQ(presentationToMonotonic(CLOCK_MONOTONIC, 1, 1'000'000'000), -1);
    EXPECT_EQ(presentationToMonotonic(CLOCK_MONOTONIC, ~std::uint64_t{0} >> 16, 0), -1);
}

}  // namespace
}  // namespace varno::platform
