// The period timer's thread against the real waitable timer and message
// queue.
#include "platform/win32/period_timer.h"

#include <gtest/gtest.h>

namespace varno::platform::win32 {
namespace {

constexpr UINT kTick = WM_APP + 7;
constexpr int kPeriodMs = 5;

// Waits for the next tick to the window; its due time.
ClockTime nextTick(HWND window)
{
    MSG message;
    while (GetMessageW(&message, window, 0, 0) > 0)
        if (message.message == kTick)
            return static_cast<ClockTime>(message.wParam);
    return -1;
}

TEST(PeriodTimer, TicksKeepToTheGridAndNeverQueueUp)
{
    HWND window = CreateWindowExW(0, L"STATIC", nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    {
        PeriodTimer timer(window, kTick);
        const ClockTime started = PeriodTimer::now();
        timer.start(kPeriodMs);
        EXPECT_TRUE(timer.isActive());

        // Unhandled for many periods: one tick waits, the rest are skipped.
        Sleep(20 * kPeriodMs);
        MSG message;
        int waiting = 0;
        ClockTime first = 0;
        while (PeekMessageW(&message, window, kTick, kTick, PM_REMOVE)) {
            ++waiting;
            first = static_cast<ClockTime>(message.wParam);
        }
        EXPECT_EQ(waiting, 1);
        EXPECT_GE(timer.takeSkipped(), 5);
        EXPECT_GT(first, started);

        // Each due time a whole number of periods after the one before,
        // however late the thread woke.
        ClockTime previous = first;
        for (int i = 0; i < 5; ++i) {
            timer.acknowledge();
            const ClockTime due = nextTick(window);
            SCOPED_TRACE(i);
            EXPECT_GT(due, previous);
            EXPECT_EQ((due - previous) % (kPeriodMs * kClockUnitsPerMs), 0);
            previous = due;
        }
        timer.stop();
        EXPECT_FALSE(timer.isActive());
    }
    DestroyWindow(window);
}

}  // namespace
}  // namespace varno::platform::win32
