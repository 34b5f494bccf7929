#pragma once

#include <QObject>

#include <memory>

namespace varno::platform {

// A periodic timer whose ticks keep to the period to the microsecond where
// the kernel offers that (Linux: a timerfd); Qt's own timers wait in whole
// milliseconds and let the phase wander by up to one. Elsewhere it is a
// precise QTimer. Stopped, it never wakes the program.
class PeriodTimer : public QObject {
    Q_OBJECT

public:
    explicit PeriodTimer(QObject* parent = nullptr);
    ~PeriodTimer() override;

    // Ticks every `milliseconds` from now on, the first one a period from
    // now; a running timer starts over. Whether ticks are wanted at all (a
    // period of 0 wants none) is the caller's to decide.
    void start(int milliseconds);
    void stop();
    bool isActive() const noexcept { return active_; }

    // What keeps the time on this system: arms for a period, or disarms for 0.
    class Clock {
    public:
        virtual ~Clock() = default;
        virtual void arm(int milliseconds) = 0;
    };

signals:
    void timeout();

private:
    // One per system, chosen by the build; Qt's own timer serves where the
    // system offers nothing better.
    static std::unique_ptr<Clock> makeClock(PeriodTimer& owner);
    static std::unique_ptr<Clock> makeQTimerClock(PeriodTimer& owner);

    std::unique_ptr<Clock> clock_;
    bool active_ = false;
};

}  // namespace varno::platform
