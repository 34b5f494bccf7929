#pragma once

#include "core/frame_schedule.h"
#include "core/period_schedule.h"

#include <cstdint>

namespace varno {

// A display's refreshes on the program's clock, as a compositor reports
// them: the counter reading of one vblank and the counts from one refresh to
// the next. Refreshes are numbered from that vblank, and a newer reading of
// the same display keeps the numbers, so a refresh already aimed at stays
// the same refresh.
class RefreshGrid {
public:
    // One vblank at `vblankCounts`, a refresh every `periodCounts`, on a
    // counter of `frequency` counts a second; unknown unless both are
    // positive.
    static RefreshGrid fromCounter(std::int64_t vblankCounts, std::int64_t periodCounts,
                                   std::int64_t frequency) noexcept;

    bool known() const noexcept { return period_ > 0 && frequency_ > 0; }
    // Refresh `frame`'s time, rounded down as the clock's own readings are.
    ClockTime timeOf(std::int64_t frame) const noexcept;
    // The first refresh at or after `time`.
    std::int64_t frameAtOrAfter(ClockTime time) const noexcept;
    // One refresh, rounded down.
    ClockTime frameTime() const noexcept;

    // This grid moved onto a newer reading: the reading's vblank takes the
    // number of the nearest refresh here. A reading that is unknown leaves
    // the grid as it is.
    RefreshGrid followedBy(const RefreshGrid& reading) const noexcept;

    friend bool operator==(const RefreshGrid&, const RefreshGrid&) = default;

private:
    std::int64_t frame_ = 0;   // the refresh at counts_
    std::int64_t counts_ = 0;
    std::int64_t period_ = 0;  // counts a refresh
    std::int64_t frequency_ = 0;
};

// A refresh a colour change is aimed at: its number on the grid, its time,
// and the length of a refresh, so what a later time reached can be told.
// No refresh (-1) where the display's timing is unknown.
struct RefreshAim {
    std::int64_t refresh = -1;
    ClockTime time = 0;
    ClockTime frame = 0;

    bool known() const noexcept { return refresh >= 0 && frame > 0; }
    // The refresh a fill finished at `painted` shows on: the aimed one, or
    // a later one when it came too late for it.
    std::int64_t reachedBy(ClockTime painted) const noexcept;
};

// What became of a change whose fill finished at `painted`, as far as its
// aim tells: on its refresh, late for it, or never shown because the next
// change was filled (at `nextPainted`, negative for none) before the
// refresh this one reached. Unconfirmed without an aim.
ChangeOutcome predictedOutcome(const RefreshAim& aim, ClockTime painted, ClockTime nextPainted) noexcept;

// When the blink timer wakes for each colour change and what the change is
// aimed at. Where the display's refreshes are known, change i belongs on
// refresh k_i of the frame schedule, and the wake comes half a frame before
// it: a wake a few milliseconds late or early still fills after the refresh
// before and in time for its own, so timer jitter never moves a change to
// another refresh. Where they are not, a change every period on the start's
// grid, as a plain timer.
class ChangePacer {
public:
    struct Change {
        ClockTime due = 0;   // a whole number of periods after the start
        ClockTime wake = 0;  // when to fill
        RefreshAim aim;
    };

    // Blinking starts at `now`: the first change a period later.
    void start(ClockTime now, int periodMs, RefreshRate rate, const RefreshGrid& grid) noexcept;

    bool paced() const noexcept { return paced_; }
    RefreshRate rate() const noexcept { return paced_ ? schedule_.rate() : RefreshRate{}; }
    Change next() const noexcept;

    // The next change was sent at `woke`: moves on past the refresh it
    // reached, and returns the changes of the grid passed over on the way.
    std::int64_t advance(ClockTime woke) noexcept;

    // A new period while blinking: the grid starts anew from the last
    // change, so the colours go on alternating with neither gap nor double
    // change.
    void changePeriod(int periodMs, RefreshRate rate, const RefreshGrid& grid) noexcept;

    // A newer reading of the display's timing. The same rate moves the grid
    // onto the reading's vblank and keeps every target; another rate, or
    // timing that came or went, starts the grid anew from the last change,
    // so the next one still comes a period after it.
    void retime(RefreshRate rate, const RefreshGrid& reading) noexcept;

private:
    bool paced_ = false;
    int periodMs_ = 0;
    ClockTime startTime_ = 0;  // paced: the start refresh's time
    ClockTime lastTime_ = 0;   // the last change's due time, or its refresh's
    RefreshGrid grid_;
    FrameSchedule schedule_;
    PeriodSchedule periods_;
};

}  // namespace varno
