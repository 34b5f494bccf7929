#pragma once

#include "core/frame_schedule.h"
#include "platform/qt/refresh_pacing.h"

#include <array>
#include <cstdint>
#include <memory>

class QSocketNotifier;

namespace varno::platform {

// Colour changes on the X server's refreshes, through the Present extension
// on a connection of its own (so that its events wake only this object): it
// follows the refresh counter of the CRTC showing the window, and each change
// goes out shortly before its target refresh.
//
// Two ways to carry a change out:
// - Pixmaps (the default): two pixmaps of the window's size, each filled once
//   by the server with one of the colours, presented for the target refresh.
//   The server switches the picture at that refresh itself and reports, per
//   change, the refresh it reached and its time, or that it was skipped.
// - Clear (VARNO_X11_PACING=clear, and where the pixmaps cannot be had): the
//   server announces the target refresh, then the background pixel is set and
//   the window cleared as on the timer path; the time is that of the refresh
//   the program reacted to.
class X11PresentPacing : public RefreshPacing {
    Q_OBJECT

public:
    // Null where the server lacks Present: a timer paces the changes then.
    static std::unique_ptr<X11PresentPacing> create(std::uint32_t window, std::uint32_t topLevel, int depth);
    ~X11PresentPacing() override;

    void start(int periodMs) override;
    void stop() override;
    RefreshRate refreshRate() const override;

    // Whether the change now being made belongs to this pacing: fill() then
    // hands its pixel here instead of clearing at once.
    bool takesChange() const noexcept { return inChange_; }
    void show(std::uint32_t pixel);

private:
    struct Connection;
    struct InFlight {
        std::uint32_t serial = 0;
        std::int64_t target = 0;
        std::int64_t dueUs = 0;
        std::uint32_t sequence = 0;  // the request's, to match an error
    };
    struct Slot {
        std::uint32_t pixmap = 0;
        std::uint32_t pixel = 0;
        bool filled = false;
    };

    X11PresentPacing(std::unique_ptr<Connection> connection, std::uint32_t window, std::uint32_t topLevel,
                     int depth);

    void readEvents();
    void handle(const void* event);
    void refreshCounter(std::int64_t msc, std::int64_t ust);
    void measure(std::int64_t msc, std::int64_t ust);
    void askBurst(std::int64_t firstMsc);
    void changeCompleted(std::uint32_t serial, std::int64_t msc, std::int64_t ust, bool skipped);
    void beginGrid(std::int64_t msc);
    void pump();
    void sendChange(std::int64_t target);
    void notifyAt(std::int64_t msc, std::uint32_t serial);
    void finishIfIdle();

    void readModeRate();
    void rateLearnt();
    RefreshRate scheduleRate() const;
    void checkCompositor();

    bool makePixmaps();
    void freePixmaps();
    int slotFor(std::uint32_t pixel);

    std::unique_ptr<Connection> x_;
    QSocketNotifier* notifier_ = nullptr;
    std::uint32_t window_;
    std::uint32_t topLevel_;
    int depth_;
    bool pixmapsWanted_ = true;
    bool usePixmaps_ = false;  // this run's way
    int width_ = 0, height_ = 0;
    std::array<Slot, 2> slots_{};
    int lastSlot_ = -1;
    std::uint32_t gc_ = 0;

    // Serials of the refresh notices asked for; 0: none pending.
    std::uint32_t nextSerial_ = 1;
    std::uint32_t startSerial_ = 0;
    std::uint32_t dueSerial_ = 0;
    std::int64_t dueMsc_ = -1;
    std::uint32_t measureSerial_ = 0;
    // The rate where no mode states it: bursts of refreshes at the start of a
    // stretch and at its end.
    struct Sample {
        std::int64_t msc = 0, ust = 0;
    };
    static constexpr int kBurst = 4;
    int measureStage_ = 0;
    std::int64_t burstFirst_ = 0;
    int burstCount_ = 0;
    std::array<Sample, kBurst> startBurst_{}, endBurst_{};

    // The refresh counter as last heard, never ahead of the server's.
    std::int64_t knownMsc_ = -1;
    std::int64_t knownUst_ = 0;

    bool running_ = false;
    bool gridStarted_ = false;
    bool inChange_ = false;
    bool clearedNow_ = false;
    bool finishPending_ = false;
    int periodMs_ = 0;
    FrameSchedule schedule_;
    std::int64_t startUs_ = 0;
    std::int64_t lastFrame_ = 0;  // the latest refresh a change was aimed at or reached
    std::int64_t lastShownMsc_ = -1, lastShownUst_ = 0;
    std::array<InFlight, 8> inFlight_{};
    int inFlightCount_ = 0;

    RefreshRate modeRate_;
    RefreshRate measured_;
    RefreshRate provisional_;
    RefreshRate screenGuess_;
    RateMeasurement measurement_;
    bool compositorSaid_ = false;
};

}  // namespace varno::platform
