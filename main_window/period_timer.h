#pragma once

#include <QObject>
#include <QTimer>

class QSocketNotifier;

namespace varno {

// A periodic timer whose ticks keep to the period to the microsecond where
// the kernel offers that (Linux: a timerfd); Qt's own timers wait in whole
// milliseconds and let the phase wander by up to one. Elsewhere it is a
// precise QTimer. Like QTimer, setting the interval of a running timer
// restarts it, and the first tick comes one period after the start.
class PeriodTimer : public QObject {
    Q_OBJECT

public:
    explicit PeriodTimer(QObject* parent = nullptr);
    ~PeriodTimer() override;

    void setInterval(int milliseconds);
    int interval() const noexcept { return interval_; }
    void start();
    void stop();
    bool isActive() const noexcept { return active_; }

signals:
    void timeout();

private:
    void Arm(int milliseconds);
    void OnExpired();

    int interval_ = 0;
    bool active_ = false;
    int fd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
    QTimer fallback_;
};

}  // namespace varno
