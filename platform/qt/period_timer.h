#pragma once

#include "core/frame_schedule.h"
#include "platform/posix/flip_log.h"
#include "platform/qt/refresh_pacing.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

namespace varno::platform {

// When each colour change goes out. Where the surface follows the display's
// refreshes, its pacing says, and each change lands on a refresh; otherwise
// a periodic timer whose ticks keep to the period to the microsecond where
// the kernel offers that (Linux: a timerfd; Qt's own timers wait in whole
// milliseconds and let the phase wander by up to one), elsewhere a precise
// QTimer. Stopped, it never wakes the program.
class PeriodTimer : public QObject {
    Q_OBJECT

public:
    explicit PeriodTimer(QObject* parent = nullptr);
    ~PeriodTimer() override;

    // Changes every `milliseconds` from now on, the first a period from now;
    // on a running timer the new period takes over from the last change.
    // Whether changes are wanted at all (a period of 0 wants none) is the
    // caller's to decide.
    void start(int milliseconds);
    void stop();
    bool isActive() const noexcept { return active_; }

    // The surface's refresh pacing, or null for the timer; a running timer
    // goes on with the new one.
    void setPacing(RefreshPacing* pacing);
    bool paced() const noexcept { return pacing_ != nullptr; }
    RefreshRate refreshRate() const;

    // What keeps the time on this system: arms for a period, or disarms for 0.
    class Clock {
    public:
        virtual ~Clock() = default;
        virtual void arm(int milliseconds) = 0;
        // Called at each expiry while armed; periods missed give one call.
        std::function<void()> expired;
    };

signals:
    void timeout();
    void refreshRateChanged();

private:
    // One per system, chosen by the build; Qt's own timer serves where the
    // system offers nothing better.
    static std::unique_ptr<Clock> makeClock(PeriodTimer& owner);
    static std::unique_ptr<Clock> makeQTimerClock(PeriodTimer& owner);
    void clockTicked();

    std::unique_ptr<Clock> clock_;
    QPointer<RefreshPacing> pacing_;
    FlipLog log_;
    bool active_ = false;
    int periodMs_ = 0;
    std::int64_t startUs_ = 0;
    std::int64_t ticks_ = 0;
};

}  // namespace varno::platform
