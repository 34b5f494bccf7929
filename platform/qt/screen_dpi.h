#pragma once

#include "core/window_geometry.h"

class QWidget;

namespace varno::platform {

// The logical DPI of the screen `widget` is on (the primary screen when it
// has none yet), for twips.
Dpi logicalDpi(const QWidget* widget);

}  // namespace varno::platform
