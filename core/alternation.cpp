#include "alternation.h"

#include <algorithm>
#include <cstdio>

namespace varno {

void Alternation::setPeriodMs(int milliseconds) noexcept
{
    periodMs_ = std::clamp(milliseconds, kMinPeriodMs, kMaxPeriodMs);
}

void Alternation::toggle() noexcept
{
    running_ = !running_;
    toggled_ = true;
}

bool Alternation::stop() noexcept
{
    if (!running_)
        return false;
    toggle();
    return true;
}

std::optional<Colour> Alternation::tick() noexcept
{
    if (!running_)
        return std::nullopt;
    shown_ = shown_ == colour1_ ? colour2_ : colour1_;
    return shown_;
}

const char* Alternation::startStopCaption() const noexcept
{
    if (running_)
        return "終了";
    // Only the designed caption has the access key and the ellipsis.
    return toggled_ ? "開始" : "開始(&O)...";
}

std::string periodText(int milliseconds)
{
    if (milliseconds <= 0)
        return "0 ms (点滅停止)";
    // Two flips make one cycle; three significant digits at most.
    char hertz[16];
    std::snprintf(hertz, sizeof hertz, "%.3g", 1000.0 / (2.0 * milliseconds));
    return std::to_string(milliseconds) + " ms (" + hertz + " Hz)";
}

}  // namespace varno
