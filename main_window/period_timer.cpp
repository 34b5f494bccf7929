#include "period_timer.h"

#include <QSocketNotifier>
#include <cstdint>

#ifdef Q_OS_LINUX
#include <sys/timerfd.h>
#include <unistd.h>
#endif

namespace varno {

PeriodTimer::PeriodTimer(QObject* parent) : QObject(parent)
{
#ifdef Q_OS_LINUX
    fd_ = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (fd_ >= 0) {
        notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
        notifier_->setEnabled(false);
        connect(notifier_, &QSocketNotifier::activated, this, &PeriodTimer::OnExpired);
        return;
    }
#endif
    fallback_.setTimerType(Qt::PreciseTimer);
    connect(&fallback_, &QTimer::timeout, this, &PeriodTimer::timeout);
}

PeriodTimer::~PeriodTimer()
{
#ifdef Q_OS_LINUX
    if (fd_ >= 0) {
        delete notifier_;
        ::close(fd_);
    }
#endif
}

void PeriodTimer::setInterval(int milliseconds)
{
    interval_ = std::max(0, milliseconds);
    if (active_)
        start();
}

void PeriodTimer::start()
{
    active_ = true;
    Arm(interval_);
}

void PeriodTimer::stop()
{
    active_ = false;
    Arm(0);
}

void PeriodTimer::Arm(int milliseconds)
{
    // An interval of 0 would be a busy loop; it means no ticks at all.
    const bool ticking = active_ && milliseconds > 0;
#ifdef Q_OS_LINUX
    if (fd_ >= 0) {
        itimerspec timing{};
        if (ticking) {
            timing.it_interval.tv_sec = milliseconds / 1000;
            timing.it_interval.tv_nsec = static_cast<long>(milliseconds % 1000) * 1000000L;
            timing.it_value = timing.it_interval;
        }
        ::timerfd_settime(fd_, 0, &timing, nullptr);
        notifier_->setEnabled(ticking);
        return;
    }
#endif
    if (ticking)
        fallback_.start(milliseconds);
    else
        fallback_.stop();
}

void PeriodTimer::OnExpired()
{
#ifdef Q_OS_LINUX
    // Periods missed while the program was held up give one tick, not a
    // burst that would flip the colour back and forth unseen.
    std::uint64_t expirations = 0;
    if (::read(fd_, &expirations, sizeof expirations) == sizeof expirations && expirations > 0 && active_)
        emit timeout();
#endif
}

}  // namespace varno
