#pragma once

#include <cmath>

class QWidget;

namespace varno::platform {

inline constexpr double kTwipsPerInch = 1440.0;

// Rounded to the nearest pixel, so design positions land where they were
// drawn at 96 DPI (15 twips a pixel).
inline int TwipsToPixels(double twips, double logicalDpi)
{
    return static_cast<int>(std::lround(twips * logicalDpi / kTwipsPerInch));
}

inline double PixelsToTwips(double pixels, double logicalDpi)
{
    return pixels * kTwipsPerInch / logicalDpi;
}

// The logical DPI of the screen `widget` is on (the primary screen when it
// has none yet).
double LogicalDpiX(const QWidget* widget);
double LogicalDpiY(const QWidget* widget);

}  // namespace varno::platform
