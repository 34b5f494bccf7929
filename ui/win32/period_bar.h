#pragma once

#include "core/frame_schedule.h"
#include "platform/win32/windows_api.h"

#include <optional>

namespace varno::ui {

// The scroll bar that sets the period (0 to 500 ms, line 1, page 10), with
// a tooltip beside it that shows the period while it is being changed, and
// what the screen makes of it where its refresh rate is known, and goes
// away by itself.
class PeriodBar {
public:
    PeriodBar() = default;
    ~PeriodBar();
    PeriodBar(const PeriodBar&) = delete;
    PeriodBar& operator=(const PeriodBar&) = delete;

    // `timerOwner` receives WM_TIMER with `hideTimerId` when the tip is due
    // to go, and passes it to hideTip().
    bool create(HWND parent, int id, HWND timerOwner, UINT_PTR hideTimerId);
    HWND handle() const noexcept { return bar_; }

    // Moves the bar for a WM_HSCROLL from it. The new value once the user
    // has changed it (a drag counts when it ends), nothing otherwise.
    std::optional<int> scroll(WPARAM request);

    void hideTip();

    // The screen's refresh rate, for the tip; unknown by default.
    void setRefreshRate(RefreshRate rate) noexcept { rate_ = rate; }

private:
    void showTip(int value);

    HWND bar_ = nullptr;
    HWND tip_ = nullptr;
    HWND timerOwner_ = nullptr;
    UINT_PTR hideTimerId_ = 0;
    RefreshRate rate_;
    wchar_t tipText_[256] = {};
};

}  // namespace varno::ui
