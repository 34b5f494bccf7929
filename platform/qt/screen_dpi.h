#pragma once

#include "core/window_geometry.h"

class QWidget;

namespace varno::platform {

// The logical DPI of the screen `widget` is on (the primary screen when it
// has none yet), for twips.
Dpi logicalDpi(const QWidget* widget);

// False where the platform never tells a window where it is (Wayland): a
// top-level window's position then reads 0, 0 whatever it is.
bool windowPositionKnown();

}  // namespace varno::platform
