#pragma once

#include "core/frame_schedule.h"

#include <cstdint>
#include <memory>
#include <string>

namespace varno::platform {

// What each colour change was aimed at and what became of it, so that a
// measurement can set the program's own account beside what it saw on the
// screen. Off unless the environment variable VARNO_TICK_LOG names a file.
// Records go to memory allocated once; the file is written only when the
// blinking stops, so a flip costs no allocation and no file access, and a
// file that cannot be written never holds the blinking up: it is said once
// on stderr.
class FlipLog {
public:
    struct Change {
        std::int64_t dueUs = 0;      // CLOCK_MONOTONIC
        std::int64_t target = -1;    // the refresh aimed at; -1: none
        std::int64_t reached = -1;   // the refresh it was shown on; -1: not known
        std::int64_t reachedUs = -1; // that refresh's time, on the display's clock
        ChangeOutcome outcome = ChangeOutcome::Unconfirmed;
    };

    static FlipLog fromEnvironment();
    explicit FlipLog(std::string path = {});
    FlipLog(FlipLog&&) noexcept;
    FlipLog& operator=(FlipLog&&) noexcept;
    ~FlipLog();

    bool enabled() const noexcept { return records_ != nullptr; }
    // Counted whether or not a file is written.
    const ChangeTally& tally() const noexcept { return tally_; }

    void record(const Change& change) noexcept;
    // A line put before the closing one at the next finish(), such as what
    // the times are worth.
    void note(std::string line);

    // The blinking stopped: writes one line a change, "due_us target reached
    // reached_us outcome", then the closing summary line, and starts a new
    // tally. The first write starts the file afresh; later ones append.
    void finish(RefreshRate rate, RefreshSource source, Timestamps timestamps) noexcept;

    static constexpr std::size_t kCapacity = 1 << 17;  // 44 minutes at 20 ms

private:
    std::string path_;
    std::unique_ptr<Change[]> records_;
    std::size_t count_ = 0;
    std::int64_t dropped_ = 0;
    ChangeTally tally_;
    std::string note_;
    bool written_ = false;
    bool failed_ = false;
};

// Now on CLOCK_MONOTONIC, in microseconds: the clock the log's due times use.
std::int64_t monotonicMicroseconds() noexcept;

}  // namespace varno::platform
