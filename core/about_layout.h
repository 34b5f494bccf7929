#pragma once

#include "core/window_geometry.h"

#include <array>
#include <cstddef>

namespace varno::about {

// The About dialog's labels, in the order their sizes are given.
enum AboutLabel : std::size_t {
    kWarning1Label,
    kVersionLabel,
    kTitleLabel,
    kDescriptionLabel,
    kCopyrightLabel,
    kWarning2Label,
    kContactLabel,
    kLabelCount
};

struct TextSize {
    int width = 0;
    int height = 0;
};

struct AboutPlacement {
    std::array<PixelRect, kLabelCount> labels;
    PixelRect ok;
    PixelRect systemInfo;
    int clientWidth = 0;
    int clientHeight = 0;
};

// Where everything goes at `dpi`, given what each label's text needs on one
// line in the dialog's font. A label is never narrower or lower than
// designed, and each text stays on one line: where a label would reach
// under the buttons, the buttons move right, keeping the design's gap, and
// the dialog widens with whatever reaches further right. A label designed to
// run under a button ends where the button starts.
AboutPlacement placeAbout(const std::array<TextSize, kLabelCount>& texts, double dpi);

}  // namespace varno::about
