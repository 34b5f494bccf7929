#include "platform/qt/period_timer.h"

namespace varno::platform {

std::unique_ptr<PeriodTimer::Clock> PeriodTimer::makeClock(PeriodTimer& owner)
{
    return makeQTimerClock(owner);
}

}  // namespace varno::platform
