#pragma once

#include "core/window_geometry.h"

#include <vector>

namespace varno {

// How a window's widget coordinates reach its surface on a compositor:
// Qt lays widgets out in device-independent units and paints them at
// `devicePixelRatio` device pixels a unit (its own scale factor times the
// buffer scale); the compositor places subsurfaces in surface units of
// `bufferScale` device pixels each.
struct SurfaceScale {
    double devicePixelRatio = 1;
    int bufferScale = 1;
};

// Where the compositor-filled rectangles go, in the window surface's units.
struct FillTiles {
    // Opaque, above the window: the area around the controls. They never
    // reach into a control's pixels, nor beyond the area's own pixels.
    std::vector<PixelRect> above;
    // Beneath the window, under the whole area: it shows wherever the
    // window's own pixels are transparent (a control's rounded corners, an
    // edge that falls between two surface units).
    PixelRect beneath;

    bool operator==(const FillTiles&) const = default;
};

// `area` and `controls` are in device-independent units from the top-left
// of the window's content; `content` is that content in surface units (its
// position is the frame Qt draws around it). Controls outside the area, or
// empty, leave no hole.
FillTiles fillTiles(const PixelRect& area, const std::vector<PixelRect>& controls, const PixelRect& content,
                    SurfaceScale scale);

}  // namespace varno
