#include "main_window_layout.h"

#include "core/main_window_design.h"
#include "core/twips.h"

#include <algorithm>

namespace varno::main_window {

ControlRow placeControlRow(FaceSize colour1, FaceSize colour2, double dpi)
{
    const auto px = [dpi](int twips) { return twipsToPixels(twips, dpi); };
    const auto place = [&](const DesignRect& d, FaceSize face) {
        return PixelRect{px(d.left), px(d.top), std::max(px(d.right()) - px(d.left), face.width),
                         std::max(px(d.bottom()) - px(d.top), face.height)};
    };
    ControlRow row{place(kPeriodBar, {}), place(kColour1ButtonRect, colour1), place(kColour2ButtonRect, colour2)};
    const int gap = px(kColour2ButtonRect.left) - px(kColour1ButtonRect.right());
    row.colour2.x = std::max(row.colour2.x, row.colour1.x + row.colour1.width + gap);
    return row;
}

}  // namespace varno::main_window
