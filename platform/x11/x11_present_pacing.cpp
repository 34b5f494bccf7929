#include "x11_present_pacing.h"

#include "platform/posix/flip_log.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSocketNotifier>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <xcb/present.h>
#include <xcb/randr.h>
#include <xcb/xcb.h>

namespace varno::platform {

namespace {

// A change goes out this many refreshes before its target: on Xvfb the
// counter rounds to the nearest refresh, so a present sent in the second half
// of the frame before its target would run at once, mid-frame; two give a
// frame and a half to send it in, and never queue a change further ahead.
constexpr std::int64_t kPixmapLead = 2;
// At high rates, at least this long.
constexpr std::int64_t kPixmapLeadNs = 25'000'000;
// Refreshes for a first estimate of a rate no mode states; the rate in force
// is measured over RateMeasurement::kMinFrames.
constexpr std::int64_t kProvisionalFrames = 30;

template <typename Reply>
struct Freed {
    Reply* reply;
    ~Freed() { std::free(reply); }
    Reply* operator->() const { return reply; }
    explicit operator bool() const { return reply != nullptr; }
};

xcb_atom_t internAtom(xcb_connection_t* c, const std::string& name)
{
    const Freed<xcb_intern_atom_reply_t> reply{xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(name.size()), name.c_str()), nullptr)};
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

}  // namespace

struct X11PresentPacing::Connection {
    xcb_connection_t* c = nullptr;
    xcb_window_t root = 0;
    int screen = 0;
    std::uint8_t presentOpcode = 0;
    std::uint8_t randrEvent = 0;  // 0: no RandR
    std::uint32_t eventId = 0;

    ~Connection()
    {
        if (c)
            xcb_disconnect(c);
    }
};

std::unique_ptr<X11PresentPacing> X11PresentPacing::create(std::uint32_t window, std::uint32_t topLevel, int depth)
{
    auto x = std::make_unique<Connection>();
    x->c = xcb_connect(nullptr, &x->screen);
    if (xcb_connection_has_error(x->c))
        return nullptr;
    xcb_connection_t* c = x->c;
    const xcb_query_extension_reply_t* present = xcb_get_extension_data(c, &xcb_present_id);
    if (!present || !present->present)
        return nullptr;
    const Freed<xcb_present_query_version_reply_t> version{
        xcb_present_query_version_reply(c, xcb_present_query_version(c, 1, 2), nullptr)};
    if (!version)
        return nullptr;
    x->presentOpcode = present->major_opcode;
    // The window is another connection's: it must exist on the server.
    const Freed<xcb_get_geometry_reply_t> geometry{xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr)};
    if (!geometry)
        return nullptr;
    x->root = geometry->root;
    int number = 0;
    for (auto s = xcb_setup_roots_iterator(xcb_get_setup(c)); s.rem; xcb_screen_next(&s), ++number) {
        if (s.data->root == x->root)
            x->screen = number;
    }
    const xcb_query_extension_reply_t* randr = xcb_get_extension_data(c, &xcb_randr_id);
    if (randr && randr->present) {
        const Freed<xcb_randr_query_version_reply_t> rv{
            xcb_randr_query_version_reply(c, xcb_randr_query_version(c, 1, 3), nullptr)};
        if (rv && (rv->major_version > 1 || rv->minor_version >= 3))
            x->randrEvent = randr->first_event;
    }
    x->eventId = xcb_generate_id(c);
    xcb_present_select_input(c, x->eventId, window, XCB_PRESENT_EVENT_MASK_COMPLETE_NOTIFY);
    // Size changes of the surface, moves of the window to another screen,
    // and mode changes: each may change the pixmaps or the rate. None of
    // them comes while nothing happens, so they never wake a stopped program.
    const std::uint32_t structure = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, window, XCB_CW_EVENT_MASK, &structure);
    if (topLevel && topLevel != window)
        xcb_change_window_attributes(c, topLevel, XCB_CW_EVENT_MASK, &structure);
    if (x->randrEvent)
        xcb_randr_select_input(c, x->root,
                               XCB_RANDR_NOTIFY_MASK_SCREEN_CHANGE | XCB_RANDR_NOTIFY_MASK_CRTC_CHANGE);
    const Freed<xcb_generic_error_t> error{xcb_request_check(
        c, xcb_present_select_input_checked(c, xcb_generate_id(c), window, XCB_PRESENT_EVENT_MASK_NO_EVENT))};
    if (error)
        return nullptr;
    return std::unique_ptr<X11PresentPacing>(new X11PresentPacing(std::move(x), window, topLevel, depth));
}

X11PresentPacing::X11PresentPacing(std::unique_ptr<Connection> connection, std::uint32_t window,
                                   std::uint32_t topLevel, int depth)
    : x_(std::move(connection)), window_(window), topLevel_(topLevel), depth_(depth)
{
    pixmapsWanted_ = qEnvironmentVariable("VARNO_X11_PACING") != QLatin1String("clear");
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        screenGuess_ = RefreshRate::fromMilliHertz(std::llround(screen->refreshRate() * 1000.0));
    notifier_ = new QSocketNotifier(xcb_get_file_descriptor(x_->c), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &X11PresentPacing::readEvents);

    // Drawn past a compositing manager where it allows that: its copy would
    // come after the server's times, unseen by them.
    if (topLevel_) {
        const std::uint32_t bypass = 1;
        xcb_change_property(x_->c, XCB_PROP_MODE_REPLACE, topLevel_,
                            internAtom(x_->c, "_NET_WM_BYPASS_COMPOSITOR"), XCB_ATOM_CARDINAL, 32, 1, &bypass);
    }
    readModeRate();
    if (!modeRate_.known()) {
        // The refresh counter's own pace: first where it stands now (a notice
        // for a past refresh comes at once), then a real refresh, then after
        // a short and a long stretch.
        measureSerial_ = nextSerial_++;
        notifyAt(0, measureSerial_);
    }
    xcb_flush(x_->c);
    readEvents();
}

X11PresentPacing::~X11PresentPacing()
{
    freePixmaps();
    if (gc_)
        xcb_free_gc(x_->c, gc_);
    xcb_flush(x_->c);
}

RefreshRate X11PresentPacing::refreshRate() const
{
    return modeRate_.known() ? modeRate_ : measured_;
}

RefreshRate X11PresentPacing::scheduleRate() const
{
    if (modeRate_.known())
        return modeRate_;
    if (measured_.known())
        return measured_;
    if (provisional_.known())
        return provisional_;
    return screenGuess_.known() ? screenGuess_ : RefreshRate::of(60);
}

void X11PresentPacing::notifyAt(std::int64_t msc, std::uint32_t serial)
{
    xcb_present_notify_msc(x_->c, window_, serial, static_cast<std::uint64_t>(std::max<std::int64_t>(msc, 0)), 0, 0);
}

void X11PresentPacing::start(int periodMs)
{
    periodMs_ = std::max(1, periodMs);
    if (running_ && gridStarted_) {
        // A new period while running: the grid starts anew at the refresh the
        // last change was aimed at, and the pending notice no longer counts.
        const std::int64_t from = lastFrame_;
        const RefreshRate rate = scheduleRate();
        startUs_ = lastShownMsc_ >= 0 ? lastShownUst_ + rate.nanosecondsOf(from - lastShownMsc_) / 1000
                                      : monotonicMicroseconds();
        schedule_.start(periodMs_, rate, from);
        dueSerial_ = 0;
        pump();
        xcb_flush(x_->c);
        return;
    }
    if (running_)
        return;  // the grid starts with the new period once the counter answers
    if (finishPending_)
        finishIfIdle();
    if (finishPending_) {
        // Changes of the last run are still out: their outcomes go to this run's log.
        finishPending_ = false;
    }
    running_ = true;
    gridStarted_ = false;
    startUs_ = monotonicMicroseconds();
    checkCompositor();
    usePixmaps_ = pixmapsWanted_ && makePixmaps();
    startSerial_ = nextSerial_++;
    notifyAt(0, startSerial_);  // where the counter stands: the grid starts there
    xcb_flush(x_->c);
    // The round trips above may have queued events the socket no longer announces.
    QMetaObject::invokeMethod(this, &X11PresentPacing::readEvents, Qt::QueuedConnection);
}

void X11PresentPacing::stop()
{
    if (!running_)
        return;
    running_ = false;
    gridStarted_ = false;
    startSerial_ = dueSerial_ = 0;
    finishPending_ = true;
    finishIfIdle();
}

void X11PresentPacing::finishIfIdle()
{
    if (!finishPending_ || inFlightCount_ > 0)
        return;
    finishPending_ = false;
    freePixmaps();
    xcb_flush(x_->c);
    if (log_) {
        const bool measuredRate = !modeRate_.known();
        RefreshRate rate = refreshRate();
        if (!rate.known())
            rate = provisional_;
        log_->finish(rate, rate.known() ? (measuredRate ? RefreshSource::Measured : RefreshSource::Mode)
                                        : RefreshSource::Unknown,
                     Timestamps::Server);
    }
}

void X11PresentPacing::beginGrid(std::int64_t msc)
{
    gridStarted_ = true;
    lastFrame_ = msc;
    schedule_.start(periodMs_, scheduleRate(), msc);
    pump();
}

void X11PresentPacing::pump()
{
    const std::int64_t lead =
        usePixmaps_ ? std::max(kPixmapLead, scheduleRate().frameAtOrAfter(kPixmapLeadNs)) : 0;
    // Each pass sends one change and moves the grid past it, so this ends
    // within `lead` + 1 passes.
    while (running_ && gridStarted_) {
        const std::int64_t target = schedule_.target();
        if (target - lead <= knownMsc_) {
            sendChange(target);
            continue;
        }
        if (dueSerial_ == 0 || dueMsc_ != target - lead) {
            dueSerial_ = nextSerial_++;
            dueMsc_ = target - lead;
            notifyAt(dueMsc_, dueSerial_);
        }
        return;
    }
}

void X11PresentPacing::sendChange(std::int64_t target)
{
    const std::int64_t dueUs = startUs_ + schedule_.dueNs() / 1000;
    inChange_ = true;
    clearedNow_ = false;
    const int before = inFlightCount_;
    emit due();  // the window ticks its alternation and fills: show() below
    inChange_ = false;
    if (!running_ || !gridStarted_)
        return;
    if (inFlightCount_ > before)
        inFlight_[static_cast<std::size_t>(inFlightCount_ - 1)].dueUs = dueUs;
    else if (clearedNow_ && log_)
        log_->record({dueUs, target, knownMsc_, knownUst_, outcomeOf(target, knownMsc_, false)});
    // Cleared now, the change is on the refresh just announced, maybe past its target.
    lastFrame_ = std::max({lastFrame_, target, clearedNow_ ? knownMsc_ : target});
    schedule_.advance(lastFrame_);
}

void X11PresentPacing::show(std::uint32_t pixel)
{
    xcb_connection_t* c = x_->c;
    // Exposures of the window (a control moving) show the colour too.
    xcb_change_window_attributes(c, window_, XCB_CW_BACK_PIXEL, &pixel);
    const std::int64_t target = schedule_.target();
    if (!usePixmaps_ || slots_[0].pixmap == 0 || inFlightCount_ >= static_cast<int>(inFlight_.size())) {
        xcb_clear_area(c, 0, window_, 0, 0, 0, 0);
        xcb_flush(c);
        lastShownMsc_ = knownMsc_;
        lastShownUst_ = knownUst_;
        clearedNow_ = true;
        return;
    }
    const int slot = slotFor(pixel);
    const std::uint32_t serial = nextSerial_++;
    const xcb_void_cookie_t sent = xcb_present_pixmap(
        c, window_, slots_[static_cast<std::size_t>(slot)].pixmap, serial, XCB_NONE, XCB_NONE, 0, 0, XCB_NONE,
        XCB_NONE, XCB_NONE, XCB_PRESENT_OPTION_NONE, static_cast<std::uint64_t>(target), 0, 0, 0, nullptr);
    xcb_flush(c);
    lastSlot_ = slot;
    inFlight_[static_cast<std::size_t>(inFlightCount_++)] = {serial, target, 0, sent.sequence};
}

void X11PresentPacing::readEvents()
{
    while (xcb_generic_event_t* event = xcb_poll_for_event(x_->c)) {
        handle(event);
        std::free(event);
    }
    if (xcb_connection_has_error(x_->c))
        notifier_->setEnabled(false);  // the server is gone; Qt's own connection ends the program
}

void X11PresentPacing::handle(const void* raw)
{
    const auto* event = static_cast<const xcb_generic_event_t*>(raw);
    const std::uint8_t type = event->response_type & 0x7F;
    if (type == XCB_GE_GENERIC) {
        const auto* ge = static_cast<const xcb_ge_generic_event_t*>(raw);
        if (ge->extension != x_->presentOpcode || ge->event_type != XCB_PRESENT_EVENT_COMPLETE_NOTIFY)
            return;
        const auto* done = static_cast<const xcb_present_complete_notify_event_t*>(raw);
        const auto msc = static_cast<std::int64_t>(done->msc);
        const auto ust = static_cast<std::int64_t>(done->ust);
        if (done->kind == XCB_PRESENT_COMPLETE_KIND_PIXMAP) {
            changeCompleted(done->serial, msc, ust, done->mode == XCB_PRESENT_COMPLETE_MODE_SKIP);
            return;
        }
        refreshCounter(msc, ust);
        const std::uint32_t serial = done->serial;
        if (serial == measureSerial_ && measureSerial_ != 0) {
            measure(msc, ust);
        } else if (serial == startSerial_ && running_) {
            startSerial_ = 0;
            beginGrid(msc);
        } else if (serial == dueSerial_ && running_) {
            dueSerial_ = 0;
            pump();
        }
        xcb_flush(x_->c);
        return;
    }
    if (type == 0) {
        // A present the server refused never completes: it counts as skipped,
        // and the changes go on as clears.
        const auto* error = static_cast<const xcb_generic_error_t*>(raw);
        const auto end = inFlight_.begin() + inFlightCount_;
        const auto found = std::find_if(inFlight_.begin(), end, [error](const InFlight& f) {
            return f.sequence == (error->full_sequence & 0xFFFFFFFFu);
        });
        if (found != end) {
            usePixmaps_ = false;
            changeCompleted(found->serial, -1, -1, true);
        }
        return;
    }
    if (type == XCB_CONFIGURE_NOTIFY) {
        const auto* configure = static_cast<const xcb_configure_notify_event_t*>(raw);
        if (configure->window == window_ && (configure->width != width_ || configure->height != height_) &&
            slots_[0].pixmap) {
            freePixmaps();
            usePixmaps_ = makePixmaps();
        }
        readModeRate();
        return;
    }
    if (x_->randrEvent && (type == x_->randrEvent + XCB_RANDR_SCREEN_CHANGE_NOTIFY ||
                           type == x_->randrEvent + XCB_RANDR_NOTIFY))
        readModeRate();
}

void X11PresentPacing::askBurst(std::int64_t firstMsc)
{
    measureSerial_ = nextSerial_++;
    burstFirst_ = firstMsc;
    burstCount_ = 0;
    for (std::int64_t i = 0; i < kBurst; ++i)
        notifyAt(firstMsc + i, measureSerial_);
}

void X11PresentPacing::measure(std::int64_t msc, std::int64_t ust)
{
    if (measureStage_ == 0) {
        // Where the counter stands; its time is "now", not a refresh's.
        measureStage_ = 1;
        askBurst(msc + 3);  // a refresh the answer may come too late for would come at once, early
        return;
    }
    auto& burst = measureStage_ == 1 ? startBurst_ : endBurst_;
    if (burstCount_ < kBurst)
        burst[static_cast<std::size_t>(burstCount_++)] = {msc, ust};
    if (burstCount_ < kBurst)
        return;
    if (measureStage_ == 1) {
        measureStage_ = 2;
        askBurst(burstFirst_ + kProvisionalFrames);
        return;
    }
    // A refresh's time is when the server's timer woke for it, never
    // early but late by whatever kept the machine busy: the earliest of each
    // burst against the pace between them is the one to trust.
    const double perFrame = static_cast<double>(endBurst_[0].ust - startBurst_[0].ust) /
                            static_cast<double>(std::max<std::int64_t>(1, endBurst_[0].msc - startBurst_[0].msc));
    const auto earliest = [perFrame](const std::array<Sample, kBurst>& samples) {
        return *std::min_element(samples.begin(), samples.end(), [perFrame](const Sample& a, const Sample& b) {
            return static_cast<double>(a.ust) - static_cast<double>(a.msc) * perFrame <
                   static_cast<double>(b.ust) - static_cast<double>(b.msc) * perFrame;
        });
    };
    const Sample from = earliest(startBurst_), to = earliest(endBurst_);
    measurement_.reset();
    measurement_.add(from.msc, from.ust);
    measurement_.add(to.msc, to.ust);
    const RefreshRate before = refreshRate();
    measured_ = measurement_.rate();
    if (measured_.known()) {
        measureSerial_ = 0;
        measureStage_ = 3;
    } else {
        if (to.msc > from.msc && to.ust > from.ust)
            provisional_ = RefreshRate::of((to.msc - from.msc) * 1'000'000, to.ust - from.ust);
        askBurst(std::max(msc + 1, startBurst_[0].msc + RateMeasurement::kMinFrames));
    }
    if (!(refreshRate() == before))
        emit refreshRateChanged();
    rateLearnt();
}

void X11PresentPacing::refreshCounter(std::int64_t msc, std::int64_t ust)
{
    if (msc >= knownMsc_) {
        knownMsc_ = msc;
        knownUst_ = ust;
    }
}

void X11PresentPacing::changeCompleted(std::uint32_t serial, std::int64_t msc, std::int64_t ust, bool skipped)
{
    const auto end = inFlight_.begin() + inFlightCount_;
    const auto found = std::find_if(inFlight_.begin(), end, [serial](const InFlight& f) { return f.serial == serial; });
    if (found == end)
        return;
    const InFlight change = *found;
    std::copy(found + 1, end, found);
    --inFlightCount_;
    if (msc >= 0)
        refreshCounter(msc, ust);
    if (!skipped) {
        lastShownMsc_ = msc;
        lastShownUst_ = ust;
        lastFrame_ = std::max(lastFrame_, msc);
    }
    if (log_)
        log_->record({change.dueUs, change.target, skipped ? -1 : msc, skipped ? -1 : ust,
                      outcomeOf(change.target, msc, skipped)});
    if (running_) {
        // A late change moves the grid past the refresh it reached.
        if (gridStarted_ && schedule_.target() <= lastFrame_)
            schedule_.advance(lastFrame_);
        pump();
        xcb_flush(x_->c);
    } else {
        finishIfIdle();
    }
}

void X11PresentPacing::rateLearnt()
{
    if (!running_ || !gridStarted_ || scheduleRate() == schedule_.rate())
        return;
    start(periodMs_);  // the grid anew from the last change, at the new rate
}

void X11PresentPacing::readModeRate()
{
    if (!x_->randrEvent)
        return;
    xcb_connection_t* c = x_->c;
    const Freed<xcb_translate_coordinates_reply_t> at{
        xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, window_, x_->root, 0, 0), nullptr)};
    const Freed<xcb_get_geometry_reply_t> size{xcb_get_geometry_reply(c, xcb_get_geometry(c, window_), nullptr)};
    const Freed<xcb_randr_get_screen_resources_current_reply_t> resources{xcb_randr_get_screen_resources_current_reply(
        c, xcb_randr_get_screen_resources_current(c, x_->root), nullptr)};
    if (!at || !size || !resources)
        return;
    width_ = size->width;
    height_ = size->height;
    const std::int64_t left = at->dst_x, top = at->dst_y;
    const std::int64_t right = left + size->width, bottom = top + size->height;

    // The CRTC that shows most of the window.
    const xcb_randr_crtc_t* crtcs = xcb_randr_get_screen_resources_current_crtcs(resources.reply);
    const int crtcCount = xcb_randr_get_screen_resources_current_crtcs_length(resources.reply);
    std::int64_t bestArea = 0;
    xcb_randr_mode_t bestMode = XCB_NONE;
    for (int i = 0; i < crtcCount; ++i) {
        const Freed<xcb_randr_get_crtc_info_reply_t> crtc{xcb_randr_get_crtc_info_reply(
            c, xcb_randr_get_crtc_info(c, crtcs[i], resources->config_timestamp), nullptr)};
        if (!crtc || crtc->mode == XCB_NONE)
            continue;
        const std::int64_t w = std::min<std::int64_t>(right, crtc->x + crtc->width) - std::max<std::int64_t>(left, crtc->x);
        const std::int64_t h =
            std::min<std::int64_t>(bottom, crtc->y + crtc->height) - std::max<std::int64_t>(top, crtc->y);
        if (w > 0 && h > 0 && w * h > bestArea) {
            bestArea = w * h;
            bestMode = crtc->mode;
        }
    }
    RefreshRate rate;
    const xcb_randr_mode_info_t* modes = xcb_randr_get_screen_resources_current_modes(resources.reply);
    const int modeCount = xcb_randr_get_screen_resources_current_modes_length(resources.reply);
    for (int i = 0; i < modeCount; ++i) {
        if (modes[i].id != bestMode)
            continue;
        rate = RefreshRate::fromMode(modes[i].dot_clock, modes[i].htotal, modes[i].vtotal,
                                     (modes[i].mode_flags & XCB_RANDR_MODE_FLAG_INTERLACE) != 0,
                                     (modes[i].mode_flags & XCB_RANDR_MODE_FLAG_DOUBLE_SCAN) != 0);
    }
    if (rate == modeRate_)
        return;
    modeRate_ = rate;
    if (!modeRate_.known() && !measured_.known() && measureSerial_ == 0) {
        measureStage_ = 0;
        measureSerial_ = nextSerial_++;
        notifyAt(0, measureSerial_);
        xcb_flush(c);
    }
    emit refreshRateChanged();
    rateLearnt();
}

void X11PresentPacing::checkCompositor()
{
    if (compositorSaid_)
        return;
    xcb_connection_t* c = x_->c;
    const xcb_atom_t selection = internAtom(c, "_NET_WM_CM_S" + std::to_string(x_->screen));
    const Freed<xcb_get_selection_owner_reply_t> owner{
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, selection), nullptr)};
    if (owner && owner->owner != XCB_NONE) {
        compositorSaid_ = true;
        std::fprintf(stderr, "varno: a compositing manager is running: the times of the colour changes are the X "
                             "server's, not the screen's\n");
    }
}

bool X11PresentPacing::makePixmaps()
{
    xcb_connection_t* c = x_->c;
    const Freed<xcb_get_geometry_reply_t> size{xcb_get_geometry_reply(c, xcb_get_geometry(c, window_), nullptr)};
    if (!size || size->width == 0 || size->height == 0)
        return false;
    width_ = size->width;
    height_ = size->height;
    bool ok = true;
    for (Slot& slot : slots_) {
        slot = {xcb_generate_id(c), 0, false};
        const Freed<xcb_generic_error_t> error{xcb_request_check(
            c, xcb_create_pixmap_checked(c, static_cast<std::uint8_t>(depth_), slot.pixmap, window_,
                                         static_cast<std::uint16_t>(width_), static_cast<std::uint16_t>(height_)))};
        if (error) {
            slot.pixmap = 0;
            ok = false;
        }
    }
    if (ok && !gc_) {
        gc_ = xcb_generate_id(c);
        const Freed<xcb_generic_error_t> error{
            xcb_request_check(c, xcb_create_gc_checked(c, gc_, slots_[0].pixmap, 0, nullptr))};
        if (error) {
            gc_ = 0;
            ok = false;
        }
    }
    if (!ok) {
        freePixmaps();
        std::fprintf(stderr, "varno: no room on the X server for the surface's pixmaps; changes are cleared on refreshes\n");
    }
    return ok;
}

void X11PresentPacing::freePixmaps()
{
    for (Slot& slot : slots_) {
        if (slot.pixmap)
            xcb_free_pixmap(x_->c, slot.pixmap);  // a present still pending keeps its own reference
        slot = {};
    }
    lastSlot_ = -1;
}

int X11PresentPacing::slotFor(std::uint32_t pixel)
{
    for (int i = 0; i < 2; ++i) {
        if (slots_[static_cast<std::size_t>(i)].filled && slots_[static_cast<std::size_t>(i)].pixel == pixel)
            return i;
    }
    // A colour not held yet: the server fills the pixmap not shown last.
    const int i = lastSlot_ == 0 ? 1 : 0;
    Slot& slot = slots_[static_cast<std::size_t>(i)];
    xcb_change_gc(x_->c, gc_, XCB_GC_FOREGROUND, &pixel);
    const xcb_rectangle_t all{0, 0, static_cast<std::uint16_t>(width_), static_cast<std::uint16_t>(height_)};
    xcb_poly_fill_rectangle(x_->c, slot.pixmap, gc_, 1, &all);
    slot.pixel = pixel;
    slot.filled = true;
    return i;
}

}  // namespace varno::platform
