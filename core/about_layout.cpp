#include "about_layout.h"

#include "core/about_design.h"
#include "core/twips.h"

#include <algorithm>

namespace varno::about {

namespace {

constexpr std::array<DesignRect, kLabelCount> kLabelRects{
    kWarning1Rect, kVersionRect, kTitleRect, kDescriptionRect, kCopyrightRect, kWarning2Rect, kContactRect,
};

bool rowsOverlap(const PixelRect& a, const PixelRect& b)
{
    return a.y < b.y + b.height && b.y < a.y + a.height;
}

}  // namespace

AboutPlacement placeAbout(const std::array<TextSize, kLabelCount>& texts, double dpi)
{
    const auto px = [dpi](int twips) { return twipsToPixels(twips, dpi); };
    // Edges rounded one by one, so neighbours designed edge to edge stay so.
    const auto place = [&](const DesignRect& d) {
        return PixelRect{px(d.left), px(d.top), px(d.right()) - px(d.left), px(d.bottom()) - px(d.top)};
    };

    AboutPlacement placement;
    placement.ok = place(kOkRect);
    placement.systemInfo = place(kSystemInfoRect);
    const auto besideButtons = [&](const PixelRect& label, auto&& each) {
        for (const PixelRect* button : {&placement.ok, &placement.systemInfo})
            if (rowsOverlap(label, *button) && label.x < button->x)
                each(*button);
    };
    for (std::size_t i = 0; i < kLabelCount; ++i) {
        PixelRect& label = placement.labels[i];
        label = place(kLabelRects[i]);
        // The second warning line is designed to run under the system
        // information button: a label ends where a button beside it starts.
        besideButtons(label, [&](const PixelRect& button) { label.width = std::min(label.width, button.x - label.x); });
        label.width = std::max(label.width, texts[i].width);
        label.height = std::max(label.height, texts[i].height);
    }

    int shift = 0;
    const int gap = px(kWarningButtonGap);
    for (std::size_t i = 0; i < kLabelCount; ++i)
        besideButtons(placement.labels[i], [&](const PixelRect& button) {
            shift = std::max(shift, placement.labels[i].x + texts[i].width + gap - button.x);
        });
    placement.ok.x += shift;
    placement.systemInfo.x += shift;

    const int margin = px(kClientWidth) - px(kOkRect.right());
    const int bottomMargin = px(kClientHeight) - px(kSystemInfoRect.bottom());
    placement.clientWidth = px(kClientWidth);
    placement.clientHeight = px(kClientHeight);
    for (const PixelRect& label : placement.labels) {
        placement.clientWidth = std::max(placement.clientWidth, label.x + label.width + margin);
        placement.clientHeight = std::max(placement.clientHeight, label.y + label.height + bottomMargin);
    }
    for (const PixelRect* button : {&placement.ok, &placement.systemInfo})
        placement.clientWidth = std::max(placement.clientWidth, button->x + button->width + margin);
    return placement;
}

}  // namespace varno::about
