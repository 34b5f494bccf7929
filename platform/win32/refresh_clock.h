#pragma once

#include "core/frame_schedule.h"
#include "core/refresh_grid.h"

#include <memory>

namespace varno::platform::win32 {

// The display's refresh timing as the compositor tells it: the rate as an
// exact fraction, and the vblank grid on the performance counter.
struct RefreshTiming {
    RefreshRate rate;
    RefreshGrid grid;

    bool known() const noexcept { return rate.known() && grid.known(); }
};

class RefreshClock {
public:
    virtual ~RefreshClock() = default;
    // The timing now; unknown where the system gives none. Called from any
    // thread.
    virtual RefreshTiming read() noexcept = 0;
};

// DWM's composition timing. dwmapi.dll is loaded at run time, so the
// program still starts where it is missing, and the rate is then unknown.
std::unique_ptr<RefreshClock> makeDwmRefreshClock();

}  // namespace varno::platform::win32
