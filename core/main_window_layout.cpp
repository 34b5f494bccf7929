#include "main_window_layout.h"

#include "core/main_window_design.h"
#include "core/twips.h"

#include <algorithm>
#include <cmath>

namespace varno::main_window {

namespace {

// The fewest pixels that make a whole number of device pixels (2 at 1.5, 4
// at 1.25); 1 where no small number does.
int wholeDeviceStep(double ratio)
{
    for (int step = 1; step <= 8; ++step)
        if (std::abs(step * ratio - std::round(step * ratio)) < 1e-6)
            return step;
    return 1;
}

int roundUp(int value, int step)
{
    return (value + step - 1) / step * step;
}

}  // namespace

ControlRow placeControlRow(FaceSize colour1, FaceSize colour2, double dpi, double deviceRatio)
{
    const auto px = [dpi](int twips) { return twipsToPixels(twips, dpi); };
    const auto place = [&](const DesignRect& d, FaceSize face) {
        return PixelRect{px(d.left), px(d.top), std::max(px(d.right()) - px(d.left), face.width),
                         std::max(px(d.bottom()) - px(d.top), face.height)};
    };
    ControlRow row{place(kPeriodBar, {}), place(kColour1ButtonRect, colour1), place(kColour2ButtonRect, colour2)};
    const int step = wholeDeviceStep(deviceRatio);
    for (PixelRect* r : {&row.periodBar, &row.colour1, &row.colour2})
        *r = {roundUp(r->x, step), roundUp(r->y, step), roundUp(r->width, step), roundUp(r->height, step)};
    const int gap = px(kColour2ButtonRect.left) - px(kColour1ButtonRect.right());
    row.colour2.x = std::max(row.colour2.x, roundUp(row.colour1.x + row.colour1.width + gap, step));
    return row;
}

}  // namespace varno::main_window
