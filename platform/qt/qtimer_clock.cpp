#include "platform/qt/period_timer.h"

#include <QTimer>

namespace varno::platform {

namespace {

class QTimerClock final : public PeriodTimer::Clock {
public:
    explicit QTimerClock(PeriodTimer& owner)
    {
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, &owner, [this] {
            if (expired)
                expired();
        });
    }

    void arm(int milliseconds) override
    {
        if (milliseconds > 0)
            timer_.start(milliseconds);
        else
            timer_.stop();
    }

private:
    QTimer timer_;
};

}  // namespace

std::unique_ptr<PeriodTimer::Clock> PeriodTimer::makeQTimerClock(PeriodTimer& owner)
{
    return std::make_unique<QTimerClock>(owner);
}

}  // namespace varno::platform
