#include "alternation.h"

#include <algorithm>

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

}  // namespace varno
