#pragma once

#include "core/window_geometry.h"

#include <cstdint>
#include <span>
#include <vector>

namespace varno {

// A control's own pixels, as its style paints them over nothing: one alpha
// byte a pixel, rows `stride` bytes apart.
struct AlphaImage {
    std::span<const std::uint8_t> alpha;
    int width = 0;
    int height = 0;
    int stride = 0;
};

// The pixels left mostly transparent (alpha below half) in the four
// `cornerSize`-square corners of a control (its rounded corners), as
// rectangles to cut out of its window so that whatever lies beneath shows
// there. Transparent pixels further in are kept: clicks between a flat
// button's letters still reach the button. Runs of one row are joined with
// the same run on the rows below. An image whose bytes fall short of its
// sizes yields nothing.
std::vector<PixelRect> cornerCutouts(const AlphaImage& image, int cornerSize);

}  // namespace varno
