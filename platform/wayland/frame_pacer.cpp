#include "platform/wayland/frame_pacer.h"

#include "platform/posix/flip_log.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <ctime>

namespace varno::platform {

namespace {

constexpr std::int64_t kMs = 1'000'000;
// Before any feedback: a commit is shown about a frame later.
constexpr std::int64_t kFirstLatencyNs = 16'666'667;
// What a change may arrive early by and still take the refresh it aims at,
// in quarters of a frame; without a rate, in nanoseconds.
constexpr std::int64_t kUnknownToleranceNs = 2 * kMs;
// How long the feedback of the last changes may take once stopped.
constexpr std::int64_t kFeedbackWaitNs = 300 * kMs;

constexpr std::int64_t kNsPerSecond = 1'000'000'000;

std::int64_t nanosecondsOn(clockid_t clock)
{
    timespec now{};
    if (clock_gettime(clock, &now) != 0)
        return -1;
    return std::int64_t{now.tv_sec} * kNsPerSecond + now.tv_nsec;
}

}  // namespace

std::int64_t presentationToMonotonic(std::uint32_t clockId, std::uint64_t seconds, std::uint32_t nanoseconds)
{
    if (seconds >= static_cast<std::uint64_t>(INT64_MAX / kNsPerSecond) || nanoseconds >= kNsPerSecond)
        return -1;
    const std::int64_t at = static_cast<std::int64_t>(seconds) * kNsPerSecond + nanoseconds;
    const auto clock = static_cast<clockid_t>(clockId);
    if (clock == CLOCK_MONOTONIC)
        return at;
    // The offset between the two clocks now, from between two readings of
    // ours: they drift apart as NTP slews CLOCK_MONOTONIC.
    const std::int64_t before = nanosecondsOn(CLOCK_MONOTONIC);
    const std::int64_t theirs = nanosecondsOn(clock);
    const std::int64_t after = nanosecondsOn(CLOCK_MONOTONIC);
    if (theirs < 0)
        return -1;
    return at + (before + (after - before) / 2 - theirs);
}

std::int64_t FramePacer::refreshNs() const noexcept
{
    return rate_.known() ? rate_.nanosecondsOf(1) : 0;
}

std::int64_t FramePacer::timeOf(std::int64_t frame) const noexcept
{
    return anchorNs_ + rate_.nanosecondsOf(frame);
}

std::int64_t FramePacer::frameNear(std::int64_t ns) const noexcept
{
    return rate_.frameAtOrAfter(ns - anchorNs_ - refreshNs() / 2);
}

std::int64_t FramePacer::goalNs() const noexcept
{
    // The refresh the change belongs on; without a rate, its due time.
    return rate_.known() ? timeOf(schedule_.target()) : gridStartNs_ + schedule_.dueNs();
}

std::int64_t FramePacer::predict(std::int64_t nowNs) const noexcept
{
    // A commit now is shown a usual latency from now, at the presentation
    // the compositor's cycle puts there: the last one plus whole refreshes.
    const std::int64_t at = nowNs + latencyNs_;
    if (!rate_.known() || !havePresented_)
        return at;
    const std::int64_t frames = rate_.frameAtOrAfter(at - lastPresentedNs_ - refreshNs() / 2);
    return lastPresentedNs_ + rate_.nanosecondsOf(frames);
}

std::int64_t FramePacer::hiddenAfterNs() const noexcept
{
    // Long enough that a busy machine's late callback is not taken for a
    // hidden window.
    return std::max<std::int64_t>(250 * kMs, 6 * refreshNs());
}

void FramePacer::start(int periodMs, std::int64_t nowNs)
{
    periodMs_ = std::max(1, periodMs);
    if (running_) {
        restartFromLastChange();
        plan(nowNs);
        return;
    }
    if (stopping_)
        finish();  // the last run's stragglers: unconfirmed
    running_ = true;
    hidden_ = false;
    lastReached_ = -1;
    if (latencyNs_ <= 0)
        latencyNs_ = refreshNs() > 0 ? refreshNs() : kFirstLatencyNs;
    // Refreshes counted from the last one shown, where one was.
    anchorNs_ = havePresented_ && rate_.known() ? lastPresentedNs_ : nowNs;
    const std::int64_t startFrame = rate_.known() ? rate_.frameAtOrAfter(nowNs - anchorNs_) : 0;
    gridStartNs_ = nowNs;
    lastFrame_ = startFrame;
    lastChangeNs_ = nowNs;
    schedule_.start(periodMs_, rate_, startFrame);
    plan(nowNs);
}

void FramePacer::restartFromLastChange()
{
    // The new grid counts from the last change sent, so the colours go on
    // alternating with neither gap nor double change.
    anchorNs_ = lastChangeNs_;
    gridStartNs_ = lastChangeNs_;
    lastFrame_ = 0;
    schedule_.start(periodMs_, rate_, 0);
}

void FramePacer::stop(std::int64_t nowNs)
{
    if (!running_)
        return;
    running_ = false;
    hidden_ = false;
    stopping_ = true;
    if (outstanding_ == 0)
        finish();
    else
        host_.armTimer(nowNs + kFeedbackWaitNs);
}

void FramePacer::finish()
{
    stopping_ = false;
    for (int i = 0; i < kTickets; ++i) {
        if (tickets_[i].used)
            resolve(i, -1, -1, ChangeOutcome::Unconfirmed);
    }
    host_.armTimer(-1);
    if (!log_)
        return;
    if (anyTime_ && !hardwareTimes_)
        log_->note("timestamps approximate: the compositor reported neither vsync, hardware clock nor hardware "
                   "completion");
    log_->finish(rate_, source_, anyTime_ ? Timestamps::Compositor : Timestamps::None);
}

void FramePacer::plan(std::int64_t nowNs)
{
    if (!running_)
        return;
    const std::int64_t goal = goalNs();
    if (hidden_ || !surface_) {
        host_.armTimer(goal);  // no callbacks to wait for: the grid alone
        return;
    }
    if (framePending_) {
        host_.armTimer(goal + hiddenAfterNs());  // unless it never comes
        return;
    }
    // A callback comes within a frame of asking; the commit on it must
    // still be in time for the goal.
    const std::int64_t frame = refreshNs() > 0 ? refreshNs() : kFirstLatencyNs;
    const std::int64_t wake = goal - latencyNs_ - frame - 2 * kMs;
    if (wake > nowNs) {
        host_.armTimer(wake);
        return;
    }
    if (host_.requestFrame()) {
        framePending_ = true;
        host_.armTimer(goal + hiddenAfterNs());
    } else {
        surface_ = false;
        host_.armTimer(goal);
    }
}

void FramePacer::frameDone(std::int64_t nowNs)
{
    framePending_ = false;
    if (!running_)
        return;
    // Back from hiding: the predictions start again from here.
    hidden_ = false;
    const std::int64_t tolerance = rate_.known() ? refreshNs() / 4 : kUnknownToleranceNs;
    if (predict(nowNs) >= goalNs() - tolerance)
        send(nowNs, true);
    else
        plan(nowNs);
}

void FramePacer::timerFired(std::int64_t nowNs)
{
    if (!running_) {
        if (stopping_)
            finish();
        return;
    }
    if (hidden_ || !surface_) {
        send(nowNs, false);
        return;
    }
    if (framePending_) {
        // No callback: the surface is not shown. Keep to the grid.
        hidden_ = true;
        send(nowNs, false);
        return;
    }
    plan(nowNs);  // a frame before the change: ask for a callback
}

void FramePacer::send(std::int64_t nowNs, bool onCallback)
{
    Ticket& ticket = tickets_[nextTicket_];
    if (ticket.used)
        resolve(nextTicket_, -1, -1, ChangeOutcome::Unconfirmed);  // its feedback never came
    const int id = nextTicket_;
    nextTicket_ = (nextTicket_ + 1) % kTickets;
    const std::int64_t target = schedule_.target();
    const std::int64_t goal = goalNs();
    ticket = {true, (gridStartNs_ + schedule_.dueNs()) / 1000, rate_.known() ? target : -1, goal, nowNs, onCallback};
    const bool withFrame = !framePending_ && !hidden_;
    ++outstanding_;
    sending_ = true;
    const bool committed = host_.commitChange(id, withFrame);
    sending_ = false;
    if (committed) {
        framePending_ = framePending_ || withFrame;
    } else {
        surface_ = false;
        resolve(id, -1, -1, ChangeOutcome::Skipped);  // nothing to show it on
    }
    // Where it lands: on a callback, the prediction; on the timer (no
    // frames to follow) it counts as sent for its own refresh.
    const std::int64_t expected = onCallback ? predict(nowNs) : nowNs;
    if (rate_.known()) {
        // Times off the display's own clock may lie anywhere in a frame
        // (weston's headless and x11 outputs repaint on timers of their own,
        // not on the refresh they report): only the display's own count
        // can say that a change came too late for its refresh.
        // Either way, changes whose refresh has passed already are passed
        // over: a compositor slower than the period must not pile them up.
        const std::int64_t passed = rate_.frameAtOrAfter(nowNs - anchorNs_) - 1;
        lastFrame_ = std::max({target, passed, displayCounts_ ? frameNear(expected) : target});
        lastChangeNs_ = timeOf(lastFrame_);
    } else {
        const std::int64_t passed = (nowNs - gridStartNs_) / (std::int64_t{periodMs_} * kMs);
        lastFrame_ = std::max(target, schedule_.startFrame() + passed);
        lastChangeNs_ = std::max(goal, expected);
    }
    schedule_.advance(lastFrame_);
    plan(nowNs);
}

void FramePacer::presented(int ticket, std::int64_t presentedNs, std::uint32_t refreshNs, std::uint64_t seq,
                           std::uint32_t flags)
{
    if (ticket < 0 || ticket >= kTickets || !tickets_[ticket].used)
        return;
    const Ticket change = tickets_[ticket];
    const RefreshRate before = rate_;
    // The compositor's own refresh, once it tells it; 0 is a variable rate.
    const RefreshRate told = RefreshRate::fromPeriodNs(refreshNs);
    if (!told.known())
        setRate({}, RefreshSource::Compositor);
    else if (rate_.known() && std::abs(rate_.nanosecondsOf(1) - std::int64_t{refreshNs}) <= 1)
        setRate(rate_, RefreshSource::Compositor);  // the same rate in whole nanoseconds: keep it exact
    else
        setRate(told, RefreshSource::Compositor);
    feedbackRate_ = true;

    if (presentedNs < 0) {
        resolve(ticket, -1, -1, ChangeOutcome::Unconfirmed);
        return;
    }
    const std::uint32_t hardware = kVsync | kHwClock | kHwCompletion;
    hardwareTimes_ = hardwareTimes_ && (flags & hardware) == hardware;
    anyTime_ = true;

    std::int64_t reached = change.target;
    if (rate_.known() && change.target >= 0) {
        // Refreshes the compositor counted since the last change shown, or
        // else the time since the refresh aimed at.
        const bool counted = seq != 0 && lastSeq_ != 0 && seq > lastSeq_ && seq - lastSeq_ < (1u << 20);
        displayCounts_ = counted || (flags & kHwClock);
        if (counted && lastReached_ >= 0)
            reached = lastReached_ + static_cast<std::int64_t>(seq - lastSeq_);
        else
            reached = change.target + rate_.frameAtOrAfter(presentedNs - change.targetNs - this->refreshNs() / 2);
        // A display's own clock drifts against ours: follow its phase.
        if (flags & kHwClock)
            anchorNs_ += (presentedNs - timeOf(frameNear(presentedNs))) / 8;
    }
    if (change.onCallback)
        latencyNs_ += (std::clamp<std::int64_t>(presentedNs - change.commitNs, 0, 200 * kMs) - latencyNs_) / 4;
    havePresented_ = true;
    lastPresentedNs_ = presentedNs;
    lastSeq_ = seq;
    lastReached_ = reached;
    // A late change: the next one still comes after it (unless the grid
    // has just started anew on another rate, and counts differently).
    if (running_ && displayCounts_ && rate_ == before && reached >= schedule_.target()) {
        schedule_.advance(reached);
        lastFrame_ = reached;
    }
    resolve(ticket, reached, presentedNs, outcomeOf(change.target, reached, false));
}

void FramePacer::discarded(int ticket)
{
    if (ticket >= 0 && ticket < kTickets && tickets_[ticket].used)
        resolve(ticket, -1, -1, ChangeOutcome::Skipped);
}

void FramePacer::resolve(int ticket, std::int64_t reached, std::int64_t reachedNs, ChangeOutcome outcome)
{
    Ticket& change = tickets_[ticket];
    change.used = false;
    --outstanding_;
    if (log_)
        log_->record({change.dueUs, change.target, reached, reachedNs < 0 ? -1 : reachedNs / 1000, outcome});
    if (stopping_ && outstanding_ == 0)
        finish();
}

void FramePacer::outputRefresh(std::int64_t milliHertz)
{
    if (!feedbackRate_)
        setRate(RefreshRate::fromMilliHertz(milliHertz), RefreshSource::Mode);
}

void FramePacer::setRate(RefreshRate rate, RefreshSource source)
{
    if (rate == rate_ && source == source_)
        return;
    const bool changed = !(rate == rate_);
    if (changed && running_) {
        // Keep the last change where it was, counted on the new rate.
        rate_ = rate;
        restartFromLastChange();
    }
    rate_ = rate;
    source_ = source;
    if (changed)
        host_.rateChanged();
}

void FramePacer::surfaceChanged(bool present, std::int64_t nowNs)
{
    framePending_ = false;  // its callbacks went with the old surface
    surface_ = present;
    hidden_ = false;
    if (running_ && !sending_)  // a change going out plans the next itself
        plan(nowNs);
}

}  // namespace varno::platform
