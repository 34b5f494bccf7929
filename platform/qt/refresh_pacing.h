#pragma once

#include "core/frame_schedule.h"

#include <QObject>

namespace varno::platform {

class FlipLog;

// Colour changes paced on the display's refreshes by a surface that can
// follow them (the X server's refresh counter, the compositor's frames):
// due() asks for the next change when it should be sent, and the surface
// aims the fill that follows at the refresh the pacing chose and learns
// which one it reached. Where no surface can, a timer at the period serves.
class RefreshPacing : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // Paces changes `periodMs` apart, the first one a period from now. While
    // pacing, a new period goes on from the last change shown, so that the
    // colours keep alternating with neither gap nor double change.
    virtual void start(int periodMs) = 0;
    // Nothing wakes once stopped; changes already sent are still accounted
    // for, then the log gets its closing line.
    virtual void stop() = 0;

    // The display's refresh rate, unknown until learnt.
    virtual RefreshRate refreshRate() const = 0;

    // Where each change is noted; null for none. Owned by the caller.
    void setLog(FlipLog* log) noexcept { log_ = log; }

signals:
    void due();
    void refreshRateChanged();

protected:
    FlipLog* log_ = nullptr;
};

}  // namespace varno::platform
