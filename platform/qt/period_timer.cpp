#include "period_timer.h"

namespace varno::platform {

PeriodTimer::PeriodTimer(QObject* parent) : QObject(parent), clock_(makeClock(*this)) {}

PeriodTimer::~PeriodTimer() = default;

void PeriodTimer::start(int milliseconds)
{
    active_ = milliseconds > 0;
    clock_->arm(active_ ? milliseconds : 0);
}

void PeriodTimer::stop()
{
    active_ = false;
    clock_->arm(0);
}

}  // namespace varno::platform
