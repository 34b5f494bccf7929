#pragma once

#include "core/period_schedule.h"
#include "platform/win32/windows_api.h"

#include <atomic>
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
// The message carries the tick's due time in wParam and the time the wait
// ended in lParam (ClockTime, 100-ns units). At most one tick waits in the
// queue: one that finds the last still unhandled is skipped, so a window
// held up shows no burst of flips afterwards.
class PeriodTimer {
public:
    PeriodTimer(HWND target, UINT message);
    ~PeriodTimer();
    PeriodTimer(const PeriodTimer&) = delete;
    PeriodTimer& operator=(const PeriodTimer&) = delete;

    // Ticks every `milliseconds` from now on, the first a period from now;
    // 0 or less stops. A running timer starts over.
    void start(int milliseconds);
    void stop() { start(0); }
    bool isActive() const noexcept { return periodMs_ > 0; }

    // Called by the window for each tick message it handles.
    void acknowledge() noexcept { pending_.store(false, std::memory_order_release); }

    // Ticks skipped since the last call: periods a late wait missed, and
    // ticks that found the previous one unhandled.
    std::int64_t takeSkipped() noexcept { return skipped_.exchange(0, std::memory_order_acq_rel); }

    bool highResolution() const noexcept { return highResolution_; }

    // The monotonic clock the ticks are timed on.
    static ClockTime now() noexcept;

private:
    void run();
    void arm(ClockTime now);

    HWND target_;
    UINT message_;
    HANDLE timer_ = nullptr;
    HANDLE wake_ = nullptr;  // a new period, or the end
    bool highResolution_ = false;
    bool resolutionRaised_ = false;  // touched by the owner's thread only
    int periodMs_ = 0;               // the owner's view

    std::mutex mutex_;
    int requestedMs_ = 0;  // guarded by mutex_
    bool quit_ = false;    // guarded by mutex_

    PeriodSchedule schedule_;  // the timer thread's alone
    std::atomic<bool> pending_{false};
    std::atomic<std::int64_t> skipped_{0};
    std::thread thread_;
};

}  // namespace varno::platform::win32
