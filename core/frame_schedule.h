#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace varno {

// A display's refresh rate as an exact fraction, `frames` refreshes every
// `seconds` seconds: 59.94 Hz is 60000/1001, which no double holds exactly,
// and its pattern of frames only repeats after 1001 changes. No frames means
// the rate is unknown.
struct RefreshRate {
    std::int64_t frames = 0;
    std::int64_t seconds = 1;

    // Reduced to lowest terms; anything not positive is unknown.
    static RefreshRate of(std::int64_t frames, std::int64_t seconds = 1) noexcept;
    // A video mode: pixel clock in Hz over the pixels of a frame. An
    // interlaced mode shows two fields a frame; a double-scanned one draws
    // every line twice.
    static RefreshRate fromMode(std::uint64_t dotClockHz, std::uint32_t htotal, std::uint32_t vtotal, bool interlace,
                                bool doubleScan) noexcept;
    // The time from one refresh to the next, in nanoseconds.
    static RefreshRate fromPeriodNs(std::int64_t nanoseconds) noexcept;
    static RefreshRate fromMilliHertz(std::int64_t milliHertz) noexcept;

    bool known() const noexcept { return frames > 0 && seconds > 0; }
    double hertz() const noexcept;
    // Nanoseconds from a refresh to the `n`-th after it, rounded down.
    std::int64_t nanosecondsOf(std::int64_t n) const noexcept;
    // The first refresh at or after `nanoseconds` from refresh 0.
    std::int64_t frameAtOrAfter(std::int64_t nanoseconds) const noexcept;

    friend bool operator==(const RefreshRate&, const RefreshRate&) = default;
};

// What a measured rate stands for. A measurement is only as exact as the
// clock it was taken on: within 0.02 % of a television rate (n·1000/1001),
// or else 0.1 % of a whole one, that is what the screen runs at; elsewhere it is kept
// to a thousandth of a hertz, so that the pattern a period makes repeats
// within a cycle a person can be told about.
RefreshRate nominalRate(RefreshRate measured) noexcept;

// "60", "59.94", "143.88": the rate as a person reads it.
std::string hertzText(RefreshRate rate);

// Where each colour change goes on a display that changes only at its
// refreshes. Change i (the first is 1) is due i periods after the start and
// belongs on refresh ceil(i · period · rate) after the start's refresh: a
// change due exactly on a refresh takes that one. The grid is absolute, so a
// late change never shifts the later ones; and a change never shares a
// refresh with the one before, so a period shorter than a frame changes on
// every refresh instead of sending changes nobody would see.
class FrameSchedule {
public:
    // Blinking starts (or goes on with a new period) at `startFrame`, on the
    // display's own refresh counter: the first refresh at or after the
    // start, or the refresh the last change was shown on, so that the
    // colours go on alternating with neither gap nor double change.
    void start(int periodMs, RefreshRate rate, std::int64_t startFrame) noexcept;

    // The refresh the next change belongs on, on the display's counter.
    std::int64_t target() const noexcept { return startFrame_ + frameOf(change_); }
    // The next change's number since the start, and when it is due, in
    // nanoseconds after the start.
    std::int64_t change() const noexcept { return change_; }
    std::int64_t dueNs() const noexcept { return change_ * periodMs_ * 1'000'000; }
    std::int64_t startFrame() const noexcept { return startFrame_; }
    int periodMs() const noexcept { return periodMs_; }
    RefreshRate rate() const noexcept { return rate_; }

    // Moves on once the next change has been sent: to the first change of
    // the grid whose refresh comes after `lastFrame`, the refresh the last
    // change reached, or its target while that is not known yet. Returns how
    // many changes of the grid were passed over (more than a frame each, so
    // a late change never brings a burst).
    std::int64_t advance(std::int64_t lastFrame) noexcept;

    // Refreshes from the start to change `n` on this grid.
    std::int64_t frameOf(std::int64_t n) const noexcept;

private:
    int periodMs_ = 0;
    RefreshRate rate_;
    std::int64_t num_ = 0;  // period · rate = num_ / den_ refreshes, reduced
    std::int64_t den_ = 1;
    std::int64_t startFrame_ = 0;
    std::int64_t change_ = 1;
};

// What the screen makes of a period: how many refreshes each colour stays,
// as a pattern that repeats, and the mean time a colour stays.
struct FrameMapping {
    bool known = false;       // a rate and a period to map
    bool everyFrame = false;  // a frame or less: the colour changes on every refresh
    bool exact = false;       // every colour stays the same whole number of frames
    bool fasterThanScreen = false;  // shorter than a frame: the screen shows every frame instead
    std::int64_t cycle = 0;         // changes before the pattern repeats
    std::int64_t fewerFrames = 0;   // the shorter stay, in frames
    std::int64_t fewerCount = 0;    // changes in a cycle that stay fewerFrames
    std::int64_t moreCount = 0;     // changes in a cycle that stay one frame more
    std::vector<std::int64_t> pattern;  // frames per change, the cycle's start (12 at most)
    double meanMs = 0;  // the mean time a colour stays on screen
    double hertz = 0;   // light-dark cycles a second on screen
};

FrameMapping mapPeriod(int periodMs, RefreshRate rate);

// The line the period bar's tooltip adds under "20 ms (25 Hz)": the screen's
// rate and the frames per colour, in the program's language; empty where the
// rate is unknown or the colour holds.
std::string onScreenText(int periodMs, RefreshRate rate);

// A display's refresh rate measured from its refresh counter and the times
// it reports: over a few refreshes a timer's jitter is 0.2 % of the rate, so
// it counts only once it spans kMinFrames.
class RateMeasurement {
public:
    static constexpr std::int64_t kMinFrames = 300;

    void reset() noexcept { first_ = false; }
    // A refresh's number and its time in microseconds.
    void add(std::int64_t frame, std::int64_t microseconds) noexcept;
    // Unknown until the samples span kMinFrames refreshes; the nominal rate
    // the measurement stands for.
    RefreshRate rate() const noexcept;

private:
    bool first_ = false;
    std::int64_t frame0_ = 0, us0_ = 0, frame_ = 0, us_ = 0;
};

// Where the refresh rate came from and whose the times of each change are,
// in the words of the tick log's closing line.
enum class RefreshSource { Mode, Measured, Compositor, Dwm, Unknown };
enum class Timestamps { Server, Compositor, Predicted, None };

// What became of each change sent for a refresh; unconfirmed where nothing
// tells which refresh it reached.
enum class ChangeOutcome { OnTarget, Late, Skipped, Unconfirmed };

ChangeOutcome outcomeOf(std::int64_t target, std::int64_t reached, bool skipped) noexcept;

class ChangeTally {
public:
    void count(ChangeOutcome outcome) noexcept;
    void reset() noexcept { *this = {}; }
    std::int64_t changes() const noexcept { return onTarget_ + late_ + skipped_ + unconfirmed_; }
    std::int64_t onTarget() const noexcept { return onTarget_; }
    std::int64_t late() const noexcept { return late_; }
    std::int64_t skipped() const noexcept { return skipped_; }

private:
    std::int64_t onTarget_ = 0, late_ = 0, skipped_ = 0, unconfirmed_ = 0;
};

// "summary changes=N on_target=N late=N skipped=N refresh_hz=F
// refresh_source=WORD timestamps=WORD", the tick log's closing line on
// every system.
std::string summaryLine(const ChangeTally& tally, RefreshRate rate, RefreshSource source, Timestamps timestamps);

}  // namespace varno
