#include "platform/wayland/wayland_pacing.h"

#include "platform/posix/flip_log.h"

#include "presentation-time-client-protocol.h"

#include <QLoggingCategory>
#include <QScreen>
#include <QWindow>

#include <wayland-client.h>

#include <algorithm>
#include <cstring>
#include <ctime>

// Off unless asked for (QT_LOGGING_RULES="varno.surface.presentation.debug=true"):
// when each flip reached the screen, as the compositor reports it, on its
// own clock.
Q_LOGGING_CATEGORY(lcPresentation, "varno.surface.presentation", QtInfoMsg)

namespace varno::platform {

namespace {

constexpr std::int64_t kNsPerSecond = 1'000'000'000;

std::int64_t monotonicNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return std::int64_t{now.tv_sec} * kNsPerSecond + now.tv_nsec;
}

void onRegistryRemoved(void*, wl_registry*, std::uint32_t) {}

void onSyncOutput(void*, struct wp_presentation_feedback*, wl_output*) {}

// Feedback asked for only to be logged, outside paced changes.
void onLoggedPresented(void*, struct wp_presentation_feedback* feedback, std::uint32_t secondsHigh, std::uint32_t secondsLow,
                       std::uint32_t nanoseconds, std::uint32_t refresh, std::uint32_t, std::uint32_t, std::uint32_t)
{
    const unsigned long long seconds = (static_cast<unsigned long long>(secondsHigh) << 32) | secondsLow;
    qCDebug(lcPresentation, "presented %llu refresh %u", seconds * 1000000000ull + nanoseconds, refresh);
    wp_presentation_feedback_destroy(feedback);
}

void onLoggedDiscarded(void*, struct wp_presentation_feedback* feedback)
{
    qCDebug(lcPresentation, "discarded");
    wp_presentation_feedback_destroy(feedback);
}

constexpr wp_presentation_feedback_listener kLoggedListener{onSyncOutput, onLoggedPresented, onLoggedDiscarded};


}  // namespace

void WaylandPacing::onGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                             std::uint32_t)
{
    auto* self = static_cast<WaylandPacing*>(data);
    if (std::strcmp(interface, wp_presentation_interface.name) == 0 && !self->presentation_) {
        self->presentation_ =
            static_cast<wp_presentation*>(wl_registry_bind(registry, name, &wp_presentation_interface, 1));
        static constexpr wp_presentation_listener kListener{onClockId};
        wp_presentation_add_listener(self->presentation_, &kListener, self);
    }
}

void WaylandPacing::onClockId(void* data, wp_presentation*, std::uint32_t clockId)
{
    static_cast<WaylandPacing*>(data)->clockId_ = clockId;
}

std::unique_ptr<WaylandPacing> WaylandPacing::create(wl_display* display)
{
    std::unique_ptr<WaylandPacing> pacing(new WaylandPacing(display));
    // Bound on a queue of our own, so that the round trips dispatch nothing
    // of Qt's: the first finds the global, the second brings its clock. Then
    // it moves to the default queue, where Qt dispatches its events as it
    // does its own.
    wl_event_queue* queue = wl_display_create_queue(display);
    auto* wrapper = static_cast<wl_display*>(wl_proxy_create_wrapper(display));
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(wrapper), queue);
    wl_registry* registry = wl_display_get_registry(wrapper);
    wl_proxy_wrapper_destroy(wrapper);
    static constexpr wl_registry_listener kListener{onGlobal, onRegistryRemoved};
    wl_registry_add_listener(registry, &kListener, pacing.get());
    wl_display_roundtrip_queue(display, queue);
    wl_registry_destroy(registry);
    wl_display_roundtrip_queue(display, queue);
    if (pacing->presentation_)
        wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(pacing->presentation_), nullptr);
    wl_event_queue_destroy(queue);
    if (!pacing->presentation_)
        return nullptr;
    return pacing;
}

WaylandPacing::WaylandPacing(wl_display* display) : display_(display)
{
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] { pacer_.timerFired(monotonicNs()); });
}

WaylandPacing::~WaylandPacing()
{
    pacer_.setLog(nullptr);
    if (frame_)
        wl_callback_destroy(frame_);
    for (Feedback& f : feedback_) {
        if (f.feedback)
            wp_presentation_feedback_destroy(f.feedback);
    }
    if (presentation_)
        wp_presentation_destroy(presentation_);
    wl_display_flush(display_);
}

void WaylandPacing::start(int periodMs)
{
    pacer_.setLog(log_);
    pacer_.start(periodMs, monotonicNs());
}

void WaylandPacing::stop()
{
    pacer_.stop(monotonicNs());
}

void WaylandPacing::setSurface(wl_surface* surface, QWindow* window)
{
    if (window != window_) {
        // The output's mode, as Qt reads it for the window's screen (its
        // own wl_output, which this must not bind beside it: Qt takes every
        // wl_output its surfaces enter for one of its own).
        if (window_)
            window_->disconnect(this);
        window_ = window;
        if (window_) {
            connect(window_, &QWindow::screenChanged, this, &WaylandPacing::followScreen);
            followScreen(window_->screen());
        }
    }
    if (surface == surface_)
        return;
    // A callback of the surface before never comes.
    if (frame_) {
        wl_callback_destroy(frame_);
        frame_ = nullptr;
    }
    surface_ = surface;
    pacer_.surfaceChanged(surface_ != nullptr, monotonicNs());
}

void WaylandPacing::aboutToCommit(wl_surface* surface)
{
    if (surface != surface_ || !presentation_)
        return;
    if (changeTicket_ < 0) {
        if (lcPresentation().isDebugEnabled())
            wp_presentation_feedback_add_listener(wp_presentation_feedback(presentation_, surface), &kLoggedListener,
                                                  nullptr);
        return;
    }
    static constexpr wp_presentation_feedback_listener kListener{onSyncOutput, onPresented, onDiscarded};
    Feedback& slot = feedback_[changeTicket_];
    if (slot.feedback)
        wp_presentation_feedback_destroy(slot.feedback);  // the pacer has given it up
    slot = {this, changeTicket_, wp_presentation_feedback(presentation_, surface)};
    wp_presentation_feedback_add_listener(slot.feedback, &kListener, &slot);
    if (changeFrame_)
        askFrame();
    changeTicket_ = -1;
    committed_ = true;
}

bool WaylandPacing::commitChange(int ticket, bool withFrame)
{
    changeTicket_ = ticket;
    changeFrame_ = withFrame;
    committed_ = false;
    emit due();  // the flip's fill commits, and aboutToCommit takes the ticket
    changeTicket_ = -1;
    return committed_;
}

void WaylandPacing::askFrame()
{
    if (frame_)
        wl_callback_destroy(frame_);
    static constexpr wl_callback_listener kListener{onFrameDone};
    frame_ = wl_surface_frame(surface_);
    wl_callback_add_listener(frame_, &kListener, this);
}

bool WaylandPacing::requestFrame()
{
    if (!surface_)
        return false;
    // Nothing changes with this commit: it only asks to hear of the next frame.
    askFrame();
    wl_surface_commit(surface_);
    wl_display_flush(display_);
    return true;
}

void WaylandPacing::armTimer(std::int64_t atNs)
{
    if (atNs < 0) {
        timer_.stop();
        return;
    }
    // Whole milliseconds, never early.
    const std::int64_t ms = std::max<std::int64_t>(0, (atNs - monotonicNs() + 999'999) / 1'000'000);
    timer_.start(static_cast<int>(std::min<std::int64_t>(ms, 60'000)));
}

void WaylandPacing::rateChanged()
{
    emit refreshRateChanged();
}

void WaylandPacing::onFrameDone(void* data, wl_callback* callback, std::uint32_t)
{
    auto* self = static_cast<WaylandPacing*>(data);
    wl_callback_destroy(callback);
    if (callback == self->frame_)
        self->frame_ = nullptr;
    self->pacer_.frameDone(monotonicNs());
}

void WaylandPacing::onPresented(void* data, struct wp_presentation_feedback* feedback, std::uint32_t secondsHigh,
                                std::uint32_t secondsLow, std::uint32_t nanoseconds, std::uint32_t refresh,
                                std::uint32_t seqHigh, std::uint32_t seqLow, std::uint32_t flags)
{
    auto* slot = static_cast<Feedback*>(data);
    WaylandPacing* self = slot->owner;
    const std::uint64_t seconds = (std::uint64_t{secondsHigh} << 32) | secondsLow;
    qCDebug(lcPresentation, "presented %llu refresh %u", static_cast<unsigned long long>(seconds) * 1000000000ull + nanoseconds,
            refresh);
    wp_presentation_feedback_destroy(feedback);
    slot->feedback = nullptr;
    self->pacer_.presented(slot->ticket, presentationToMonotonic(self->clockId_, seconds, nanoseconds), refresh,
                           (std::uint64_t{seqHigh} << 32) | seqLow, flags);
}

void WaylandPacing::onDiscarded(void* data, struct wp_presentation_feedback* feedback)
{
    auto* slot = static_cast<Feedback*>(data);
    qCDebug(lcPresentation, "discarded");
    wp_presentation_feedback_destroy(feedback);
    slot->feedback = nullptr;
    slot->owner->pacer_.discarded(slot->ticket);
}

void WaylandPacing::followScreen(QScreen* screen)
{
    if (screen_)
        screen_->disconnect(this);
    screen_ = screen;
    if (!screen_)
        return;
    const auto tell = [this] {
        // Qt keeps the mode's millihertz as a float of hertz.
        const double hertz = screen_->refreshRate();
        if (hertz > 0 && hertz < 10'000)
            pacer_.outputRefresh(static_cast<std::int64_t>(hertz * 1000 + 0.5));
    };
    connect(screen_, &QScreen::refreshRateChanged, this, tell);
    tell();
}

}  // namespace varno::platform
