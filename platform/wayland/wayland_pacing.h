#pragma once

#include "platform/qt/refresh_pacing.h"
#include "platform/wayland/frame_pacer.h"

#include <QPointer>
#include <QTimer>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

struct wl_callback;
struct wl_display;
struct wl_registry;
struct wl_surface;
struct wp_presentation;
struct wp_presentation_feedback;

class QScreen;
class QWindow;

namespace varno::platform {

// Colour changes paced by the compositor's frames (see FramePacer): each
// change is committed on a frame callback of the surface that carries it,
// with presentation feedback that tells when it was shown, on which
// refresh, or that it never was. The refresh rate comes from that feedback,
// and until the first arrives from the mode of the output the window is on.
class WaylandPacing final : public RefreshPacing, private FramePacer::Host {
public:
    // Null where the compositor offers no presentation feedback: a timer
    // paces then.
    static std::unique_ptr<WaylandPacing> create(wl_display* display);
    ~WaylandPacing() override;

    void start(int periodMs) override;
    void stop() override;
    RefreshRate refreshRate() const override { return pacer_.rate(); }

    // The surface whose commit carries a change (the others follow it), or
    // null while there is none, and the window it shows in.
    void setSurface(wl_surface* surface, QWindow* window);
    // Just before `surface` is committed with a colour: within a change,
    // the commit asks for its feedback and the next frame callback.
    void aboutToCommit(wl_surface* surface);

private:
    struct Feedback {
        WaylandPacing* owner = nullptr;
        int ticket = -1;
        struct wp_presentation_feedback* feedback = nullptr;
    };

    explicit WaylandPacing(wl_display* display);

    bool commitChange(int ticket, bool withFrame) override;
    bool requestFrame() override;
    void armTimer(std::int64_t atNs) override;
    void rateChanged() override;

    void askFrame();
    void followScreen(QScreen* screen);

    static void onGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                         std::uint32_t version);
    static void onClockId(void* data, wp_presentation*, std::uint32_t clockId);
    static void onFrameDone(void* data, wl_callback* callback, std::uint32_t);
    static void onPresented(void* data, struct wp_presentation_feedback*, std::uint32_t secondsHigh, std::uint32_t secondsLow,
                            std::uint32_t nanoseconds, std::uint32_t refresh, std::uint32_t seqHigh,
                            std::uint32_t seqLow, std::uint32_t flags);
    static void onDiscarded(void* data, struct wp_presentation_feedback*);

    wl_display* display_ = nullptr;
    wp_presentation* presentation_ = nullptr;
    std::uint32_t clockId_ = 1;  // CLOCK_MONOTONIC until the compositor says
    QPointer<QWindow> window_;
    QPointer<QScreen> screen_;
    wl_surface* surface_ = nullptr;
    wl_callback* frame_ = nullptr;
    std::array<Feedback, FramePacer::kTickets> feedback_{};
    QTimer timer_;
    FramePacer pacer_{*this};

    // The change being sent: its ticket until its commit takes it.
    int changeTicket_ = -1;
    bool changeFrame_ = false;
    bool committed_ = false;
};

}  // namespace varno::platform
