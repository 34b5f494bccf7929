#pragma once

#include <cstdint>

namespace varno {

// Times on a monotonic clock in 100-ns units, the unit of the Windows
// timers; 10 000 make a millisecond.
using ClockTime = std::int64_t;
inline constexpr ClockTime kClockUnitsPerMs = 10000;

// A counter reading at `frequency` counts a second, in 100-ns units,
// without the overflow of counts * 10^7, which at 10 MHz comes after a day
// of uptime.
ClockTime counterToClockTime(std::int64_t counts, std::int64_t frequency) noexcept;

// When a periodic tick is due: every due time is the start plus a whole
// number of periods, so however late a wait ends, the error never carries
// over into the next one and the period holds on average.
class PeriodSchedule {
public:
    // The first tick is due a period from `now`; `periodMs` is more than 0.
    void start(ClockTime now, int periodMs) noexcept;

    ClockTime due() const noexcept { return due_; }

    // How long to wait from `now` for the next tick: never less than one
    // unit, since a wait of 0 would not wait at all.
    ClockTime waitFrom(ClockTime now) const noexcept;

    // After the tick due at due() was served at `now`: moves on to the next
    // due time after `now`. A wait that ended periods late skips the periods
    // it missed, rather than ticking them in a burst nobody would see;
    // returns how many were skipped.
    std::int64_t advance(ClockTime now) noexcept;

private:
    ClockTime due_ = 0;
    ClockTime period_ = 0;
};

}  // namespace varno
