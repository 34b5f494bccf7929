#include "restored_bounds.h"

namespace varno {

RestoredBoundsTracker::RestoredBoundsTracker(const PixelRect& restored) : confirmed_(restored), current_(restored) {}

void RestoredBoundsTracker::geometryChanged(const PixelRect& geometry)
{
    current_ = geometry;
    if (show_ == WindowShow::Normal)
        unsettled_ = geometry;
}

std::optional<PixelRect> RestoredBoundsTracker::showChanged(WindowShow show)
{
    const WindowShow before = show_;
    show_ = show;
    switch (show) {
    case WindowShow::Maximised:
        unsettled_.reset();
        lastShownMaximised_ = true;
        return std::nullopt;
    case WindowShow::Minimised:
        // Minimising moves nothing: what the window had, it keeps.
        if (unsettled_)
            confirmed_ = *unsettled_;
        unsettled_.reset();
        return std::nullopt;
    case WindowShow::Normal:
        break;
    }
    const bool restoring = before != WindowShow::Normal && lastShownMaximised_;
    lastShownMaximised_ = false;
    if (restoring && current_ != confirmed_)
        return confirmed_;
    return std::nullopt;
}

void RestoredBoundsTracker::settled()
{
    if (show_ == WindowShow::Normal && unsettled_)
        confirmed_ = *unsettled_;
    unsettled_.reset();
}

PixelRect RestoredBoundsTracker::restored() const
{
    return show_ == WindowShow::Normal && unsettled_ ? *unsettled_ : confirmed_;
}

}  // namespace varno
