#pragma once

#include "core/window_geometry.h"

#include <QtGui/qwindowdefs.h>
#include <vector>

namespace varno::platform {

// Cuts `cutouts` (device pixels from the window's top-left corner) out of a
// native X11 window, whole elsewhere, so that the server itself shows the
// window beneath there, at every change of it. False where the window cannot
// be shaped (away from X11, or a server without the Shape extension).
bool cutOutOfWindow(WId window, const std::vector<PixelRect>& cutouts);

}  // namespace varno::platform
