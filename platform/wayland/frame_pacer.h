#pragma once

#include "core/frame_schedule.h"

#include <array>
#include <cstdint>

namespace varno::platform {

class FlipLog;

// A time on the presentation clock `clockId` (a clockid_t; weston's is
// CLOCK_MONOTONIC_RAW) in nanoseconds on CLOCK_MONOTONIC, the clock of the
// pacing and its log; negative where this system cannot read that clock.
std::int64_t presentationToMonotonic(std::uint32_t clockId, std::uint64_t seconds, std::uint32_t nanoseconds);

// When to commit each colour change on a compositor that tells a client
// when to draw (frame callbacks) and when its frames were shown
// (presentation feedback), but takes no target time. Plain logic over the
// time on CLOCK_MONOTONIC in nanoseconds; the protocol is the host's.
//
// A change goes out on a frame callback, at most one a callback, on the one
// whose predicted presentation (the last presentation plus whole refreshes,
// a commit's usual latency ahead) is the first at or after the refresh the
// change belongs on. Between changes nothing is committed: a timer wakes
// about a frame before the change and asks for one callback. A surface that
// gets no callbacks (hidden, minimised) is paced by the timer on the same
// grid until callbacks come back.
class FramePacer {
public:
    class Host {
    public:
        virtual ~Host() = default;
        // Commit the next change now, with presentation feedback for
        // `ticket` and, if `withFrame`, a frame callback. False when nothing
        // was committed (no surface to commit to).
        virtual bool commitChange(int ticket, bool withFrame) = 0;
        // Ask for one frame callback (an empty commit). False without a surface.
        virtual bool requestFrame() = 0;
        // One timer: fire at `atNs`, or never for a negative value.
        virtual void armTimer(std::int64_t atNs) = 0;
        virtual void rateChanged() = 0;
    };

    // Feedback flags that say a time comes from the display hardware.
    static constexpr std::uint32_t kVsync = 0x1, kHwClock = 0x2, kHwCompletion = 0x4;
    static constexpr int kTickets = 32;  // changes awaiting their feedback at most

    explicit FramePacer(Host& host) : host_(host) {}

    void setLog(FlipLog* log) noexcept { log_ = log; }

    // Paces changes a period apart from now; while running, a new period
    // goes on from the last change.
    void start(int periodMs, std::int64_t nowNs);
    // Nothing is sent after this. The log closes once the feedback of
    // every change sent is in, or when the timer armed for that fires.
    void stop(std::int64_t nowNs);
    bool running() const noexcept { return running_; }

    void frameDone(std::int64_t nowNs);
    void timerFired(std::int64_t nowNs);
    // The feedback of a change: shown at `presentedNs` (negative: at a time
    // that cannot be read on this clock), `refreshNs` apart (0: variable or
    // unknown), on refresh `seq` (0 where the compositor does not count).
    void presented(int ticket, std::int64_t presentedNs, std::uint32_t refreshNs, std::uint64_t seq,
                   std::uint32_t flags);
    void discarded(int ticket);
    // The current mode of the output the surface is on, until feedback says better.
    void outputRefresh(std::int64_t milliHertz);
    // The surface went away (pending callbacks with it) or came anew.
    void surfaceChanged(bool present, std::int64_t nowNs);

    RefreshRate rate() const noexcept { return rate_; }
    RefreshSource source() const noexcept { return source_; }
    // Whether every time reported so far came from the display's hardware.
    bool hardwareTimes() const noexcept { return hardwareTimes_; }
    std::int64_t latencyNs() const noexcept { return latencyNs_; }

private:
    struct Ticket {
        bool used = false;
        std::int64_t dueUs = 0;
        std::int64_t target = -1;
        std::int64_t targetNs = 0;
        std::int64_t commitNs = 0;
        bool onCallback = false;  // committed on a frame callback, so its latency is typical
    };

    std::int64_t refreshNs() const noexcept;
    std::int64_t goalNs() const noexcept;
    std::int64_t predict(std::int64_t nowNs) const noexcept;
    std::int64_t frameNear(std::int64_t ns) const noexcept;
    std::int64_t timeOf(std::int64_t frame) const noexcept;
    std::int64_t hiddenAfterNs() const noexcept;
    void setRate(RefreshRate rate, RefreshSource source);
    void restartFromLastChange();
    void send(std::int64_t nowNs, bool onCallback);
    void plan(std::int64_t nowNs);
    void resolve(int ticket, std::int64_t reached, std::int64_t reachedNs, ChangeOutcome outcome);
    void finish();

    Host& host_;
    FlipLog* log_ = nullptr;
    RefreshRate rate_;
    RefreshSource source_ = RefreshSource::Unknown;
    bool feedbackRate_ = false;
    bool hardwareTimes_ = true;
    bool anyTime_ = false;
    bool displayCounts_ = false;  // the times or sequence come from the display's own refreshes

    bool running_ = false;
    bool stopping_ = false;
    bool hidden_ = false;       // callbacks stopped coming: the timer paces
    bool framePending_ = false;
    bool sending_ = false;      // within the host's commit of a change
    bool surface_ = true;
    int periodMs_ = 0;
    FrameSchedule schedule_;
    std::int64_t anchorNs_ = 0;     // refresh 0 of this run's count
    std::int64_t gridStartNs_ = 0;  // change 0 of the schedule: the start, or the last change before a new period
    std::int64_t lastFrame_ = 0;    // the refresh the last change reached, or was aimed at
    std::int64_t lastChangeNs_ = 0; // and its time
    std::int64_t latencyNs_ = 0; // commit to presentation, as the last changes took

    bool havePresented_ = false;
    std::int64_t lastPresentedNs_ = 0;
    std::uint64_t lastSeq_ = 0;
    std::int64_t lastReached_ = -1;

    std::array<Ticket, kTickets> tickets_{};
    int nextTicket_ = 0;
    int outstanding_ = 0;
};

}  // namespace varno::platform
