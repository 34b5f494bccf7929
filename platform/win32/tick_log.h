#pragma once

#include "core/frame_schedule.h"
#include "core/refresh_grid.h"

#include <cstdint>
#include <memory>
#include <string>

namespace varno::platform::win32 {

// Notes for each flip when it was due, when the timer's wait ended and when
// the surface had been repainted, so a measurement can tell the timer's own
// precision from the display's. Off unless the environment variable
// VARNO_TICK_LOG names a file. The records go to memory, allocated once;
// the file is written only when the blinking stops and when the program
// ends, so logging adds no allocation and no file access to a flip.
class TickLog {
public:
    // The file named by VARNO_TICK_LOG, or a log that records nothing.
    static TickLog fromEnvironment();

    TickLog() = default;
    TickLog(TickLog&&) noexcept;
    TickLog& operator=(TickLog&&) noexcept;
    ~TickLog();

    bool enabled() const noexcept { return records_ != nullptr; }

    void record(ClockTime due, ClockTime woke, ClockTime painted, std::int64_t skipped,
                const RefreshAim& aim) noexcept;

    // Appends what was recorded since the last flush, one line a flip, times
    // in microseconds: "due woke painted skipped target target_time", the
    // last two -1 where the display's refreshes are unknown; flips past the
    // capacity are counted in a line of their own starting with "#". A log
    // that cannot be written is said once, as a debugger line, and as a "#"
    // line in the log where anything can still be written to it.
    void flush() noexcept;

    // The blinking stopped: the lines not yet written, then the closing
    // line counting the changes since the last one (none where there were
    // none), each judged by when its fill finished against the refresh it
    // was aimed at.
    void finish(RefreshRate rate, RefreshSource source, Timestamps timestamps) noexcept;

private:
    struct Record {
        ClockTime due, woke, painted;
        std::int64_t skipped;
        RefreshAim aim;
    };
    // A change is judged once the next one's fill is known, or at the end.
    void judgeLast(ClockTime nextPainted) noexcept;

    static constexpr std::size_t kCapacity = 1 << 17;  // 44 minutes at 20 ms

    std::wstring path_;
    std::unique_ptr<Record[]> records_;
    std::size_t count_ = 0;
    std::uint64_t dropped_ = 0;  // flips past the capacity since the last flush
    bool written_ = false;
    bool failureSaid_ = false;
    bool judging_ = false;  // last_ is still to be counted
    Record last_{};
    ChangeTally tally_;
};

}  // namespace varno::platform::win32
