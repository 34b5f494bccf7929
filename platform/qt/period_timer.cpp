#include "period_timer.h"

namespace varno::platform {

PeriodTimer::PeriodTimer(QObject* parent) : QObject(parent), clock_(makeClock(*this)) {}

PeriodTimer::~PeriodTimer() = default;

void PeriodTimer::start(int milliseconds)
{
    Q_ASSERT(milliseconds > 0);
    active_ = true;
    clock_->arm(milliseconds);
}

void PeriodTimer::stop()
{
    active_ = false;
    clock_->arm(0);
}

}  // namespace varno::platform
