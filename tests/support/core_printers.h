#pragma once

// How the core's plain structs read in a failed check.
#include "core/window_geometry.h"

#include <ostream>

namespace varno {

inline void PrintTo(const PixelRect& r, std::ostream* os)
{
    *os << "{" << r.x << ", " << r.y << ", " << r.width << ", " << r.height << "}";
}

}  // namespace varno
