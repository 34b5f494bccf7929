#include "period_timer.h"

#include <mmsystem.h>

#include <algorithm>
#include <utility>

namespace varno::platform::win32 {

namespace {

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

// A reading drifts from the display by the error of its rounded period,
// and a mode change may come without a message: read again while ticking.
constexpr ClockTime kReadEvery = 1000 * kClockUnitsPerMs;

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

PeriodTimer::PeriodTimer(HWND target, UINT message, std::unique_ptr<RefreshClock> clock)
    : target_(target), message_(message), clock_(std::move(clock))
{
    // Known before the first start, for whoever tells the rate.
    timing_ = clock_->read();
    // Windows 10 1803 and later; before that, and where the flag is not
    // known, an ordinary timer and a finer system resolution while ticking.
    timer_ = CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, TIMER_ALL_ACCESS);
    highResolution_ = timer_ != nullptr;
    if (!timer_)
        timer_ = CreateWaitableTimerExW(nullptr, nullptr, 0, TIMER_ALL_ACCESS);
    wake_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    thread_ = std::thread([this] {
        // It sleeps but for a moment a change: where it wakes late, the
        // change misses its refresh.
        SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
        run();
    });
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
    const bool continues = periodMs_ > 0 && milliseconds > 0;
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
        restart_ = true;
        // A stop and a start the thread sees as one still start afresh.
        continues_ = continues;
    }
    SetEvent(wake_);
}

RefreshTiming PeriodTimer::timing() const
{
    std::lock_guard lock(mutex_);
    return timing_;
}

RefreshAim PeriodTimer::aim() const
{
    std::lock_guard lock(mutex_);
    return aim_;
}

void PeriodTimer::retime()
{
    const RefreshTiming timing = clock_->read();
    {
        std::lock_guard lock(mutex_);
        timing_ = timing;
        retime_ = true;
    }
    SetEvent(wake_);
}

RefreshTiming PeriodTimer::readTiming()
{
    const RefreshTiming timing = clock_->read();
    std::lock_guard lock(mutex_);
    timing_ = timing;
    return timing;
}

void PeriodTimer::arm(ClockTime now)
{
    // Negative: relative to now. The wait is measured from the pacer's
    // wake time, never from the last wake, so late wakes do not add up; a
    // wait of 0 would not wait at all.
    LARGE_INTEGER due{};
    due.QuadPart = -std::max<ClockTime>(1, pacer_.next().wake - now);
    SetWaitableTimer(timer_, &due, 0, nullptr, nullptr, FALSE);
}

bool PeriodTimer::post(const ChangePacer::Change& change, ClockTime woke)
{
    {
        std::lock_guard lock(mutex_);
        aim_ = change.aim;
    }
    return PostMessageW(target_, message_, static_cast<WPARAM>(change.due), static_cast<LPARAM>(woke)) != FALSE;
}

void PeriodTimer::run()
{
    bool armed = false;
    ClockTime lastRead = 0;
    while (true) {
        const HANDLE handles[] = {wake_, timer_};
        const DWORD woke = WaitForMultipleObjects(armed ? 2 : 1, handles, FALSE, INFINITE);
        const ClockTime time = now();
        if (woke == WAIT_OBJECT_0) {
            int periodMs = 0;
            bool restart = false, retime = false, continues = false;
            RefreshTiming timing;
            {
                std::lock_guard lock(mutex_);
                if (quit_)
                    return;
                periodMs = requestedMs_;
                restart = std::exchange(restart_, false);
                retime = std::exchange(retime_, false);
                continues = continues_;
                timing = timing_;
            }
            if (restart) {
                continues = continues && armed;
                armed = periodMs > 0;
                if (armed) {
                    // A fresh vblank to count the start's refresh from.
                    timing = readTiming();
                    lastRead = time;
                    if (continues)
                        pacer_.changePeriod(periodMs, timing.rate, timing.grid);
                    else
                        pacer_.start(time, periodMs, timing.rate, timing.grid);
                    arm(time);
                } else {
                    CancelWaitableTimer(timer_);
                }
            } else if (retime && armed) {
                pacer_.retime(timing.rate, timing.grid);
                arm(time);
            }
            continue;
        }
        if (woke != WAIT_OBJECT_0 + 1)
            return;  // the handles are gone: nothing can tick any more
        const ChangePacer::Change change = pacer_.next();
        if (!pending_.exchange(true, std::memory_order_acq_rel)) {
            // A post that failed (a full queue) leaves nothing for the window
            // to acknowledge: pending for good, it would skip every later tick.
            if (!post(change, time)) {
                pending_.store(false, std::memory_order_release);
                skipped_.fetch_add(1, std::memory_order_relaxed);
            }
        } else {
            skipped_.fetch_add(1, std::memory_order_relaxed);
        }
        skipped_.fetch_add(pacer_.advance(time), std::memory_order_relaxed);
        if (time - lastRead >= kReadEvery) {
            const RefreshTiming timing = readTiming();
            lastRead = time;
            pacer_.retime(timing.rate, timing.grid);
        }
        arm(now());
    }
}

}  // namespace varno::platform::win32
