#include "frame_schedule.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>

namespace varno {

namespace {

// Products of a change number, a period and a rate's terms outgrow 64 bits
// on a long run at a pixel-clock rate.
__extension__ typedef __int128 Wide;

constexpr std::int64_t kNsPerSecond = 1'000'000'000;
// 59.94 Hz repeats after 1001 changes; longer cycles are told as shares.
constexpr std::int64_t kLongestCountedCycle = 1001;

std::int64_t floorDiv(Wide a, Wide b) noexcept
{
    const Wide q = a / b;
    return static_cast<std::int64_t>((a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q);
}

std::int64_t ceilDiv(Wide a, Wide b) noexcept
{
    return -floorDiv(-a, b);
}

// "%.Nf" without the zeros a person would not write.
std::string trimmed(double value, int decimals)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    std::string s = text;
    if (s.find('.') != std::string::npos) {
        s.erase(s.find_last_not_of('0') + 1);
        if (s.back() == '.')
            s.pop_back();
    }
    return s;
}

}  // namespace

RefreshRate RefreshRate::of(std::int64_t frames, std::int64_t seconds) noexcept
{
    if (frames <= 0 || seconds <= 0)
        return {};
    const std::int64_t g = std::gcd(frames, seconds);
    return {frames / g, seconds / g};
}

RefreshRate RefreshRate::fromMode(std::uint64_t dotClockHz, std::uint32_t htotal, std::uint32_t vtotal, bool interlace,
                                  bool doubleScan) noexcept
{
    if (dotClockHz == 0 || dotClockHz > (std::uint64_t{1} << 40) || htotal == 0 || vtotal == 0)
        return {};
    const std::int64_t fields = static_cast<std::int64_t>(dotClockHz) * (interlace ? 2 : 1);
    const std::int64_t pixels = std::int64_t{htotal} * vtotal * (doubleScan ? 2 : 1);
    return of(fields, pixels);
}

RefreshRate RefreshRate::fromPeriodNs(std::int64_t nanoseconds) noexcept
{
    return of(kNsPerSecond, nanoseconds);
}

RefreshRate RefreshRate::fromMilliHertz(std::int64_t milliHertz) noexcept
{
    return of(milliHertz, 1000);
}

double RefreshRate::hertz() const noexcept
{
    return known() ? static_cast<double>(frames) / static_cast<double>(seconds) : 0.0;
}

std::int64_t RefreshRate::nanosecondsOf(std::int64_t n) const noexcept
{
    if (!known())
        return 0;
    return floorDiv(Wide{n} * seconds * kNsPerSecond, frames);
}

std::int64_t RefreshRate::frameAtOrAfter(std::int64_t nanoseconds) const noexcept
{
    if (!known())
        return 0;
    return ceilDiv(Wide{nanoseconds} * frames, Wide{seconds} * kNsPerSecond);
}

RefreshRate nominalRate(RefreshRate measured) noexcept
{
    if (!measured.known())
        return {};
    const double hz = measured.hertz();
    const auto within = [hz](double nominal, double share) { return std::abs(hz - nominal) <= hz * share; };
    // 59.94 Hz lies 0.1 % below 60: only a close reading is taken for it.
    const auto television = std::llround(hz * 1.001);
    if (within(static_cast<double>(television) / 1.001, 0.0002))
        return RefreshRate::of(television * 1000, 1001);
    const auto whole = std::llround(hz);
    if (within(static_cast<double>(whole), 0.001))
        return RefreshRate::of(whole);
    return RefreshRate::of(std::llround(hz * 1000), 1000);
}

std::string hertzText(RefreshRate rate)
{
    return trimmed(rate.hertz(), 2);
}

void FrameSchedule::start(int periodMs, RefreshRate rate, std::int64_t startFrame) noexcept
{
    periodMs_ = std::max(0, periodMs);
    rate_ = rate;
    startFrame_ = startFrame;
    change_ = 1;
    // period · rate in refreshes: periodMs · frames / (1000 · seconds).
    const RefreshRate perChange = RefreshRate::of(std::int64_t{periodMs_} * rate.frames, 1000 * rate.seconds);
    num_ = perChange.frames;
    den_ = perChange.seconds;
}

std::int64_t FrameSchedule::frameOf(std::int64_t n) const noexcept
{
    if (num_ <= 0)
        return n;  // nothing to map: one refresh a change
    return ceilDiv(Wide{n} * num_, den_);
}

std::int64_t FrameSchedule::advance(std::int64_t lastFrame) noexcept
{
    const std::int64_t next = change_ + 1;
    // The first n whose refresh ceil(n · num / den) lies beyond lastFrame.
    const std::int64_t after = lastFrame - startFrame_;
    const std::int64_t first = num_ > 0 ? floorDiv(Wide{after} * den_, num_) + 1 : after + 1;
    change_ = std::max(next, first);
    return change_ - next;
}

FrameMapping mapPeriod(int periodMs, RefreshRate rate)
{
    FrameMapping m;
    if (periodMs <= 0 || !rate.known())
        return m;
    FrameSchedule grid;
    grid.start(periodMs, rate, 0);
    const RefreshRate perChange = RefreshRate::of(std::int64_t{periodMs} * rate.frames, 1000 * rate.seconds);
    m.known = true;
    if (perChange.frames <= perChange.seconds) {
        m.everyFrame = true;
        m.exact = perChange.frames == perChange.seconds;
        m.fasterThanScreen = !m.exact;
        m.cycle = 1;
        m.fewerFrames = 1;
        m.fewerCount = 1;
        m.pattern = {1};
        m.meanMs = 1000.0 * static_cast<double>(rate.seconds) / static_cast<double>(rate.frames);
    } else {
        m.cycle = perChange.seconds;
        m.exact = m.cycle == 1;
        m.fewerFrames = perChange.frames / perChange.seconds;
        m.moreCount = perChange.frames - m.fewerFrames * perChange.seconds;
        m.fewerCount = m.cycle - m.moreCount;
        for (std::int64_t n = 1; n <= std::min<std::int64_t>(m.cycle, 12); ++n)
            m.pattern.push_back(grid.frameOf(n) - grid.frameOf(n - 1));
        m.meanMs = periodMs;
    }
    m.hertz = 1000.0 / (2.0 * m.meanMs);
    return m;
}

std::string onScreenText(int periodMs, RefreshRate rate)
{
    const FrameMapping m = mapPeriod(periodMs, rate);
    if (!m.known)
        return {};
    const std::string screen = "画面 " + hertzText(rate) + " Hz: ";
    if (m.fasterThanScreen)
        return screen + "1 フレーム (" + trimmed(m.meanMs, 2) + " ms) より短いため毎フレーム切り替え (" +
               trimmed(m.hertz, 2) + " Hz)";
    const std::string mean = std::to_string(periodMs) + " ms";
    if (m.exact)
        return screen + "各色 " + std::to_string(m.fewerFrames) + " フレームずつ (ちょうど " + mean + ")";
    if (m.cycle <= static_cast<std::int64_t>(m.pattern.size())) {
        std::string pattern;
        for (const std::int64_t frames : m.pattern)
            pattern += (pattern.empty() ? "" : ",") + std::to_string(frames);
        return screen + "各色 " + pattern + " フレームの繰り返し (平均 " + mean + ")";
    }
    const std::string more = std::to_string(m.fewerFrames + 1) + " フレームが ";
    const std::string fewer = std::to_string(m.fewerFrames) + " フレームが ";
    if (m.cycle <= kLongestCountedCycle)
        return screen + "各色 " + more + std::to_string(m.moreCount) + " 回、" + fewer + std::to_string(m.fewerCount) +
               " 回で一巡 (平均 " + mean + ")";
    // Counts out of a cycle of thousands tell a person nothing: shares do.
    const double share = 100.0 * static_cast<double>(m.moreCount) / static_cast<double>(m.cycle);
    return screen + "各色 " + more + trimmed(share, 1) + "%、" + fewer + trimmed(100.0 - share, 1) + "% (平均 " + mean +
           ")";
}

void RateMeasurement::add(std::int64_t frame, std::int64_t microseconds) noexcept
{
    if (!first_) {
        first_ = true;
        frame0_ = frame_ = frame;
        us0_ = us_ = microseconds;
        return;
    }
    frame_ = frame;
    us_ = microseconds;
}

RefreshRate RateMeasurement::rate() const noexcept
{
    const std::int64_t frames = frame_ - frame0_;
    const std::int64_t us = us_ - us0_;
    if (!first_ || frames < kMinFrames || us <= 0)
        return {};
    return nominalRate(RefreshRate::of(frames * 1'000'000, us));
}

ChangeOutcome outcomeOf(std::int64_t target, std::int64_t reached, bool skipped) noexcept
{
    if (skipped)
        return ChangeOutcome::Skipped;
    return reached <= target ? ChangeOutcome::OnTarget : ChangeOutcome::Late;
}

void ChangeTally::count(ChangeOutcome outcome) noexcept
{
    switch (outcome) {
    case ChangeOutcome::OnTarget: ++onTarget_; break;
    case ChangeOutcome::Late: ++late_; break;
    case ChangeOutcome::Skipped: ++skipped_; break;
    case ChangeOutcome::Unconfirmed: ++unconfirmed_; break;
    }
}

std::string summaryLine(const ChangeTally& tally, RefreshRate rate, RefreshSource source, Timestamps timestamps)
{
    static constexpr const char* kSources[] = {"mode", "measured", "compositor", "dwm", "unknown"};
    static constexpr const char* kTimestamps[] = {"server", "compositor", "predicted", "none"};
    return "summary changes=" + std::to_string(tally.changes()) + " on_target=" + std::to_string(tally.onTarget()) +
           " late=" + std::to_string(tally.late()) + " skipped=" + std::to_string(tally.skipped()) +
           " refresh_hz=" + trimmed(rate.hertz(), 3) + " refresh_source=" + kSources[static_cast<int>(source)] +
           " timestamps=" + kTimestamps[static_cast<int>(timestamps)];
}

}  // namespace varno
