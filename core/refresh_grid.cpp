#include "refresh_grid.h"

#include <algorithm>

namespace varno {

namespace {

// A counter reading times 10^7 outgrows 64 bits after ten days at 10 MHz.
__extension__ typedef __int128 Wide;

constexpr std::int64_t kUnitsPerSecond = 10'000'000;

std::int64_t floorDiv(Wide a, Wide b) noexcept
{
    const Wide q = a / b;
    return static_cast<std::int64_t>((a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q);
}

std::int64_t ceilDiv(Wide a, Wide b) noexcept
{
    return -floorDiv(-a, b);
}

}  // namespace

RefreshGrid RefreshGrid::fromCounter(std::int64_t vblankCounts, std::int64_t periodCounts,
                                     std::int64_t frequency) noexcept
{
    RefreshGrid grid;
    if (periodCounts <= 0 || frequency <= 0)
        return grid;
    grid.counts_ = vblankCounts;
    grid.period_ = periodCounts;
    grid.frequency_ = frequency;
    return grid;
}

ClockTime RefreshGrid::timeOf(std::int64_t frame) const noexcept
{
    if (!known())
        return 0;
    const Wide counts = Wide{counts_} + Wide{frame - frame_} * period_;
    return floorDiv(counts * kUnitsPerSecond, frequency_);
}

std::int64_t RefreshGrid::frameAtOrAfter(ClockTime time) const noexcept
{
    if (!known())
        return 0;
    // A reading rounds down, so refresh n is at or after `time` exactly when
    // its counts reach time · frequency, rounded up.
    const std::int64_t counts = ceilDiv(Wide{time} * frequency_, kUnitsPerSecond);
    return frame_ + ceilDiv(Wide{counts} - counts_, period_);
}

ClockTime RefreshGrid::frameTime() const noexcept
{
    return known() ? floorDiv(Wide{period_} * kUnitsPerSecond, frequency_) : 0;
}

RefreshGrid RefreshGrid::followedBy(const RefreshGrid& reading) const noexcept
{
    if (!reading.known())
        return *this;
    if (!known())
        return reading;
    RefreshGrid next = reading;
    // Converted first when the two readings count on different clocks.
    const Wide counts = Wide{reading.counts_} * frequency_ / reading.frequency_;
    next.frame_ = frame_ + floorDiv(2 * (counts - counts_) + period_, 2 * Wide{period_});
    return next;
}

std::int64_t RefreshAim::reachedBy(ClockTime painted) const noexcept
{
    if (!known())
        return -1;
    if (painted <= time)
        return refresh;
    return refresh + ceilDiv(Wide{painted} - time, frame);
}

ChangeOutcome predictedOutcome(const RefreshAim& aim, ClockTime painted, ClockTime nextPainted) noexcept
{
    if (!aim.known())
        return ChangeOutcome::Unconfirmed;
    const std::int64_t reached = aim.reachedBy(painted);
    const ClockTime shown = aim.time + (reached - aim.refresh) * aim.frame;
    return outcomeOf(aim.refresh, reached, nextPainted >= 0 && nextPainted <= shown);
}

void ChangePacer::start(ClockTime now, int periodMs, RefreshRate rate, const RefreshGrid& grid) noexcept
{
    periodMs_ = std::max(1, periodMs);
    paced_ = rate.known() && grid.known();
    if (paced_) {
        grid_ = grid;
        const std::int64_t frame = grid_.frameAtOrAfter(now);
        startTime_ = grid_.timeOf(frame);
        schedule_.start(periodMs_, rate, frame);
        lastTime_ = startTime_;
    } else {
        periods_.start(now, periodMs_);
        lastTime_ = now;
    }
}

ChangePacer::Change ChangePacer::next() const noexcept
{
    if (!paced_)
        return {periods_.due(), periods_.due(), {}};
    const std::int64_t target = schedule_.target();
    const ClockTime targetTime = grid_.timeOf(target);
    const ClockTime frame = grid_.frameTime();
    return {startTime_ + schedule_.dueNs() / 100, targetTime - frame / 2, {target, targetTime, frame}};
}

std::int64_t ChangePacer::advance(ClockTime woke) noexcept
{
    if (!paced_) {
        lastTime_ = periods_.due();
        return periods_.advance(woke);
    }
    // A wake past its refresh fills in time only for a later one.
    const std::int64_t reached = std::max(schedule_.target(), grid_.frameAtOrAfter(woke));
    lastTime_ = grid_.timeOf(reached);
    return schedule_.advance(reached);
}

void ChangePacer::changePeriod(int periodMs, RefreshRate rate, const RefreshGrid& grid) noexcept
{
    start(lastTime_, periodMs, rate, paced_ ? grid_.followedBy(grid) : grid);
}

void ChangePacer::retime(RefreshRate rate, const RefreshGrid& reading) noexcept
{
    const bool paced = rate.known() && reading.known();
    if (paced_ && paced && rate == schedule_.rate()) {
        grid_ = grid_.followedBy(reading);
        return;
    }
    if (!paced_ && !paced)
        return;
    start(lastTime_, periodMs_, rate, reading);
}

}  // namespace varno
