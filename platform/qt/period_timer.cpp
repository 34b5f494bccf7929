#include "period_timer.h"

namespace varno::platform {

PeriodTimer::PeriodTimer(QObject* parent)
    : QObject(parent), clock_(makeClock(*this)), log_(FlipLog::fromEnvironment())
{
    clock_->expired = [this] { clockTicked(); };
}

PeriodTimer::~PeriodTimer()
{
    stop();
}

void PeriodTimer::start(int milliseconds)
{
    Q_ASSERT(milliseconds > 0);
    active_ = true;
    periodMs_ = milliseconds;
    if (pacing_) {
        pacing_->start(milliseconds);
        return;
    }
    startUs_ = monotonicMicroseconds();
    ticks_ = 0;
    clock_->arm(milliseconds);
}

void PeriodTimer::stop()
{
    if (!active_)
        return;
    active_ = false;
    if (pacing_) {
        pacing_->stop();  // it closes the log once its last change is accounted for
        return;
    }
    clock_->arm(0);
    log_.finish({}, RefreshSource::Unknown, Timestamps::None);
}

void PeriodTimer::clockTicked()
{
    if (!active_ || pacing_)
        return;
    // Nothing tells which refresh a change reaches on this path: the due
    // time on the start's grid is all there is to note.
    ++ticks_;
    log_.record({startUs_ + ticks_ * periodMs_ * 1000, -1, -1, -1, ChangeOutcome::Unconfirmed});
    emit timeout();
}

void PeriodTimer::setPacing(RefreshPacing* pacing)
{
    if (pacing == pacing_)
        return;
    const bool wasActive = active_;
    if (wasActive)
        stop();
    if (pacing_)
        pacing_->disconnect(this);
    pacing_ = pacing;
    if (pacing_) {
        pacing_->setLog(&log_);
        connect(pacing_, &RefreshPacing::due, this, [this] {
            if (active_)
                emit timeout();
        });
        connect(pacing_, &RefreshPacing::refreshRateChanged, this, &PeriodTimer::refreshRateChanged);
    }
    emit refreshRateChanged();
    if (wasActive)
        start(periodMs_);
}

RefreshRate PeriodTimer::refreshRate() const
{
    return pacing_ ? pacing_->refreshRate() : RefreshRate{};
}

}  // namespace varno::platform
