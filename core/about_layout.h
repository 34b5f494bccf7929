#pragma once

#include "core/window_geometry.h"

#include <array>
#include <cstddef>
#include <optional>

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

// What each text needs in the dialog's font, in pixels: a label's text on
// one line; a button, its whole face with the caption.
struct AboutTexts {
    std::array<TextSize, kLabelCount> labels{};
    TextSize ok;
    TextSize systemInfo;
    // The warning in English, shown where no font covers Japanese.
    std::optional<TextSize> englishWarning;
};

struct AboutPlacement {
    std::array<PixelRect, kLabelCount> labels;
    PixelRect ok;
    PixelRect systemInfo;
    PixelRect rule;  // the grey line's top left; the white one lies as designed against it
    std::optional<PixelRect> englishWarning;
    int clientWidth = 0;
    int clientHeight = 0;
};

// Where everything goes at `dpi`, given what each label's text needs on one
// line in the dialog's font. A label is never narrower or lower than
// designed, and each text stays on one line: where a label would reach
// under the buttons, the buttons move right, keeping the design's gap, and
// the dialog widens with whatever reaches further right. A label designed to
// run under a button ends where the button starts. A button is never smaller
// than its face needs. Whatever grows taller moves what lies below it down
// as far, and the dialog grows with it. The English warning, if any, goes
// under the warning and the buttons.
AboutPlacement placeAbout(const AboutTexts& texts, double dpi);
AboutPlacement placeAbout(const std::array<TextSize, kLabelCount>& texts, double dpi);

}  // namespace varno::about
