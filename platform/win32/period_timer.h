#pragma once

#include "core/refresh_grid.h"
#include "platform/win32/refresh_clock.h"
#include "platform/win32/windows_api.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

namespace varno::platform::win32 {

// Ticks every period by posting `message` to a window. The ticks come from a
// thread of their own, so they go on while a menu, a dialog or a message box
// runs its own message loop, and they keep to the period to well within a
// millisecond on average: a high-resolution waitable timer where the system
// has one, otherwise an ordinary one with the system's timer resolution
// raised to 1 ms, only while ticking. Stopped, nothing wakes at all.
//
// Where the compositor tells the display's refreshes, each tick comes half
// a frame before the refresh its change belongs on (see ChangePacer), and
// the timing is read again every second while ticking, so a drifting clock
// or a new rate is followed; elsewhere a tick every period.
//
// The message carries the tick's due time in wParam and the time the wait
// ended in lParam (ClockTime, 100-ns units). At most one tick waits in the
// queue: one that finds the last still unhandled is skipped, so a window
// held up shows no burst of flips afterwards.
class PeriodTimer {
public:
    PeriodTimer(HWND target, UINT message, std::unique_ptr<RefreshClock> clock = makeDwmRefreshClock());
    ~PeriodTimer();
    PeriodTimer(const PeriodTimer&) = delete;
    PeriodTimer& operator=(const PeriodTimer&) = delete;

    // Ticks every `milliseconds` from now on, the first a period from now;
    // 0 or less stops. A running timer goes on from its last tick, the next
    // a new period after it.
    void start(int milliseconds);
    void stop() { start(0); }
    bool isActive() const noexcept { return periodMs_ > 0; }

    // The refresh the tick being handled is aimed at; read before
    // acknowledging it.
    RefreshAim aim() const;

    // Called by the window for each tick message it handles.
    void acknowledge() noexcept { pending_.store(false, std::memory_order_release); }

    // Ticks skipped since the last call: periods a late wait missed, and
    // ticks that found the previous one unhandled.
    std::int64_t takeSkipped() noexcept { return skipped_.exchange(0, std::memory_order_acq_rel); }

    bool highResolution() const noexcept { return highResolution_; }

    // The display's timing as last read: unknown where the system tells none.
    RefreshTiming timing() const;
    // The window may show on another display, or the display in another
    // mode: reads the timing again, and running ticks move onto it.
    void retime();

    // The monotonic clock the ticks are timed on.
    static ClockTime now() noexcept;

private:
    void run();
    void arm(ClockTime now);
    RefreshTiming readTiming();
    // False when the message could not be posted.
    bool post(const ChangePacer::Change& change, ClockTime woke);

    HWND target_;
    UINT message_;
    HANDLE timer_ = nullptr;
    HANDLE wake_ = nullptr;  // a new period, or the end
    bool highResolution_ = false;
    bool resolutionRaised_ = false;  // touched by the owner's thread only
    int periodMs_ = 0;               // the owner's view

    std::unique_ptr<RefreshClock> clock_;

    mutable std::mutex mutex_;
    int requestedMs_ = 0;    // guarded by mutex_
    bool restart_ = false;   // guarded by mutex_
    bool retime_ = false;    // guarded by mutex_
    bool continues_ = false; // guarded by mutex_: a new period while ticking
    bool quit_ = false;      // guarded by mutex_
    RefreshTiming timing_;   // guarded by mutex_
    RefreshAim aim_;         // guarded by mutex_

    ChangePacer pacer_;  // the timer thread's alone
    std::atomic<bool> pending_{false};
    std::atomic<std::int64_t> skipped_{0};
    std::thread thread_;
};

}  // namespace varno::platform::win32
