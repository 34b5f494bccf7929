#pragma once

#include <cmath>

namespace varno {

inline constexpr double kTwipsPerInch = 1440.0;

// Rounded to the nearest pixel, so design positions land where they were
// drawn at 96 DPI (15 twips a pixel).
inline int twipsToPixels(double twips, double dpi)
{
    return static_cast<int>(std::lround(twips * dpi / kTwipsPerInch));
}

inline double pixelsToTwips(double pixels, double dpi)
{
    return pixels * kTwipsPerInch / dpi;
}

}  // namespace varno
