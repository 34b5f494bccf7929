#include "period_schedule.h"

#include <algorithm>

namespace varno {

ClockTime counterToClockTime(std::int64_t counts, std::int64_t frequency) noexcept
{
    constexpr std::int64_t kUnitsPerSecond = 10000000;
    if (frequency <= 0)
        return 0;
    // Whole seconds first; the remainder stays below `frequency`, so its
    // product fits for any counter up to 900 GHz.
    return counts / frequency * kUnitsPerSecond + counts % frequency * kUnitsPerSecond / frequency;
}

void PeriodSchedule::start(ClockTime now, int periodMs) noexcept
{
    period_ = std::max<ClockTime>(1, periodMs * kClockUnitsPerMs);
    due_ = now + period_;
}

ClockTime PeriodSchedule::waitFrom(ClockTime now) const noexcept
{
    return std::max<ClockTime>(1, due_ - now);
}

std::int64_t PeriodSchedule::advance(ClockTime now) noexcept
{
    due_ += period_;
    if (due_ > now)
        return 0;
    const std::int64_t skipped = (now - due_) / period_ + 1;
    due_ += skipped * period_;
    return skipped;
}

}  // namespace varno
