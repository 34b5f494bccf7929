#pragma once

#include "core/window_geometry.h"

namespace varno::main_window {

// What a button's face needs in pixels for its whole caption.
struct FaceSize {
    int width = 0;
    int height = 0;
};

struct ControlRow {
    PixelRect periodBar;
    PixelRect colour1;
    PixelRect colour2;
};

// The scroll bar and the two colour buttons on the surface, at `dpi`: as
// designed, but never a button smaller than its face needs, and the second
// button moved right, keeping the design's gap, when the first one widens.
// With `deviceRatio` device pixels to a pixel (1.5 at 144 DPI), every edge
// lands on a whole device pixel: a control's own window, rounded by itself,
// would otherwise show a row or column its painting never reaches.
ControlRow placeControlRow(FaceSize colour1, FaceSize colour2, double dpi, double deviceRatio = 1);

}  // namespace varno::main_window
