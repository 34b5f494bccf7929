#pragma once

#include "core/window_geometry.h"

#include <optional>

namespace varno {

enum class WindowShow { Normal, Maximised, Minimised };

// The window's restored bounds, followed from what the window system
// reports rather than taken from it: several X11 window managers resize a
// window to the screen a moment before they say it is maximised, so the
// last geometry seen while "normal" may be the maximised one. A geometry
// seen while normal therefore counts only once things have settled (nothing
// reported for a while); one still unsettled when the window is maximised
// belonged to the maximising.
class RestoredBoundsTracker {
public:
    // `restored`: the bounds the window was given before it was first shown.
    explicit RestoredBoundsTracker(const PixelRect& restored);

    void geometryChanged(const PixelRect& geometry);

    // Bounds to ask for when a window manager restored the window without
    // giving it its restored bounds back (IceWM leaves it screen-sized).
    std::optional<PixelRect> showChanged(WindowShow show);

    void settled();

    // What to store: the bounds the window has or would have when restored.
    PixelRect restored() const;

private:
    PixelRect confirmed_;
    std::optional<PixelRect> unsettled_;
    PixelRect current_;
    WindowShow show_ = WindowShow::Normal;
    bool lastShownMaximised_ = false;
};

}  // namespace varno
