#include "platform/qt/period_timer.h"

#include <QSocketNotifier>

#include <cstdint>
#include <sys/timerfd.h>
#include <unistd.h>

namespace varno::platform {

namespace {

// The kernel keeps the period: each expiry is due a whole period after the
// last one was due, however late the program was to read it.
class TimerfdClock final : public PeriodTimer::Clock {
public:
    TimerfdClock(PeriodTimer& owner, int fd) : fd_(fd)
    {
        notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
        notifier_->setEnabled(false);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, &owner, [this, &owner] {
            // Periods missed while the program was held up give one tick, not
            // a burst that would flip the colour back and forth unseen.
            std::uint64_t expirations = 0;
            if (::read(fd_, &expirations, sizeof expirations) == sizeof expirations && expirations > 0 &&
                owner.isActive() && expired)
                expired();
        });
    }

    ~TimerfdClock() override
    {
        notifier_.reset();
        ::close(fd_);
    }

    void arm(int milliseconds) override
    {
        itimerspec timing{};
        if (milliseconds > 0) {
            timing.it_interval.tv_sec = milliseconds / 1000;
            timing.it_interval.tv_nsec = static_cast<long>(milliseconds % 1000) * 1000000L;
            timing.it_value = timing.it_interval;
        }
        ::timerfd_settime(fd_, 0, &timing, nullptr);
        notifier_->setEnabled(milliseconds > 0);
    }

private:
    int fd_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace

std::unique_ptr<PeriodTimer::Clock> PeriodTimer::makeClock(PeriodTimer& owner)
{
    const int fd = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (fd < 0)
        return makeQTimerClock(owner);
    return std::make_unique<TimerfdClock>(owner, fd);
}

}  // namespace varno::platform
