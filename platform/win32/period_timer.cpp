#include "period_timer.h"

#include <mmsystem.h>

namespace varno::platform::win32 {

namespace {

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

std::int64_t counterFrequency()
{
    LARGE_INTEGER frequency{};
    QueryPerformanceFrequency(&frequency);
    return frequency.QuadPart;
}

}  // namespace

ClockTime PeriodTimer::now() noexcept
{
    static const std::int64_t frequency = counterFrequency();
    LARGE_INTEGER counter{};
    QueryPerformanceCounter(&counter);
    return counterToClockTime(counter.QuadPart, frequency);
}

PeriodTimer::PeriodTimer(HWND target, UINT message) : target_(target), message_(message)
{
    // Windows 10 1803 and later; before that, and where the flag is not
    // known, an ordinary timer and a finer system resolution while ticking.
    timer_ = CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, TIMER_ALL_ACCESS);
    highResolution_ = timer_ != nullptr;
    if (!timer_)
        timer_ = CreateWaitableTimerExW(nullptr, nullptr, 0, TIMER_ALL_ACCESS);
    wake_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    thread_ = std::thread([this] { run(); });
}

PeriodTimer::~PeriodTimer()
{
    stop();
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    SetEvent(wake_);
    thread_.join();
    CloseHandle(wake_);
    CloseHandle(timer_);
}

void PeriodTimer::start(int milliseconds)
{
    periodMs_ = milliseconds > 0 ? milliseconds : 0;
    const bool raise = periodMs_ > 0 && !highResolution_;
    if (raise != resolutionRaised_) {
        if (raise)
            timeBeginPeriod(1);
        else
            timeEndPeriod(1);
        resolutionRaised_ = raise;
    }
    {
        std::lock_guard lock(mutex_);
        requestedMs_ = periodMs_;
    }
    SetEvent(wake_);
}

void PeriodTimer::arm(ClockTime now)
{
    // Negative: relative to now. The wait is measured from the schedule's
    // due time, never from the last wake, so late wakes do not add up.
    LARGE_INTEGER due{};
    due.QuadPart = -schedule_.waitFrom(now);
    SetWaitableTimer(timer_, &due, 0, nullptr, nullptr, FALSE);
}

void PeriodTimer::run()
{
    bool armed = false;
    while (true) {
        const HANDLE handles[] = {wake_, timer_};
        const DWORD woke = WaitForMultipleObjects(armed ? 2 : 1, handles, FALSE, INFINITE);
        const ClockTime time = now();
        if (woke == WAIT_OBJECT_0) {
            int periodMs = 0;
            {
                std::lock_guard lock(mutex_);
                if (quit_)
                    return;
                periodMs = requestedMs_;
            }
            armed = periodMs > 0;
            if (armed) {
                schedule_.start(time, periodMs);
                arm(time);
            } else {
                CancelWaitableTimer(timer_);
            }
            continue;
        }
        if (woke != WAIT_OBJECT_0 + 1)
            return;  // the handles are gone: nothing can tick any more
        const ClockTime due = schedule_.due();
        if (!pending_.exchange(true, std::memory_order_acq_rel)) {
            // A post that failed (a full queue) leaves nothing for the window
            // to acknowledge: pending for good, it would skip every later tick.
            if (!PostMessageW(target_, message_, static_cast<WPARAM>(due), static_cast<LPARAM>(time))) {
                pending_.store(false, std::memory_order_release);
                skipped_.fetch_add(1, std::memory_order_relaxed);
            }
        } else {
            skipped_.fetch_add(1, std::memory_order_relaxed);
        }
        skipped_.fetch_add(schedule_.advance(time), std::memory_order_relaxed);
        arm(now());
    }
}

}  // namespace varno::platform::win32
