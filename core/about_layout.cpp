#include "about_layout.h"

#include "core/about_design.h"
#include "core/twips.h"

#include <algorithm>
#include <vector>

namespace varno::about {

namespace {

constexpr std::array<DesignRect, kLabelCount> kLabelRects{
    kWarning1Rect, kVersionRect, kTitleRect, kDescriptionRect, kCopyrightRect, kWarning2Rect, kContactRect,
};

// Between the warning and its English under it.
constexpr int kEnglishWarningGap = 60;
// What a text that grew keeps clear of the next one below it.
constexpr int kMinimumGap = 60;

bool rowsOverlap(const PixelRect& a, const PixelRect& b)
{
    return a.y < b.y + b.height && b.y < a.y + a.height;
}

bool columnsOverlap(const DesignRect& a, const DesignRect& b)
{
    return a.left < b.right() && b.left < a.right();
}

int bottom(const PixelRect& r)
{
    return r.y + r.height;
}

}  // namespace

AboutPlacement placeAbout(const std::array<TextSize, kLabelCount>& texts, double dpi)
{
    AboutTexts labelsOnly;
    labelsOnly.labels = texts;
    return placeAbout(labelsOnly, dpi);
}

AboutPlacement placeAbout(const AboutTexts& texts, double dpi)
{
    const auto px = [dpi](int twips) { return twipsToPixels(twips, dpi); };
    // Edges rounded one by one, so neighbours designed edge to edge stay so.
    const auto place = [&](const DesignRect& d) {
        return PixelRect{px(d.left), px(d.top), px(d.right()) - px(d.left), px(d.bottom()) - px(d.top)};
    };
    const auto grow = [](PixelRect& r, const TextSize& needed) {
        r.width = std::max(r.width, needed.width);
        r.height = std::max(r.height, needed.height);
    };

    AboutPlacement placement;
    placement.ok = place(kOkRect);
    placement.systemInfo = place(kSystemInfoRect);
    placement.rule = place(kRuleGrey);
    grow(placement.ok, texts.ok);
    grow(placement.systemInfo, texts.systemInfo);
    for (std::size_t i = 0; i < kLabelCount; ++i) {
        placement.labels[i] = place(kLabelRects[i]);
        placement.labels[i].height = std::max(placement.labels[i].height, texts.labels[i].height);
    }

    // Downwards, from the top: each thing moves down where whatever lies
    // above it, in its columns, has grown or moved into the gap between
    // them, keeping the design's gap or kMinimumGap, whichever is smaller.
    struct Item {
        DesignRect design;
        PixelRect* placed;
    };
    std::vector<Item> items{{kOkRect, &placement.ok}, {kSystemInfoRect, &placement.systemInfo},
                            {kRuleGrey, &placement.rule}};
    for (std::size_t i = 0; i < kLabelCount; ++i)
        items.push_back({kLabelRects[i], &placement.labels[i]});
    std::stable_sort(items.begin(), items.end(),
                     [](const Item& a, const Item& b) { return a.design.top < b.design.top; });
    for (Item& item : items) {
        int top = item.placed->y;
        for (const Item& above : items)
            if (above.design.bottom() <= item.design.top && columnsOverlap(above.design, item.design)) {
                const int gap = std::min(px(item.design.top) - px(above.design.bottom()), px(kMinimumGap));
                top = std::max(top, bottom(*above.placed) + gap);
            }
        item.placed->y = top;
    }

    const auto besideButtons = [&](const PixelRect& label, auto&& each) {
        for (const PixelRect* button : {&placement.ok, &placement.systemInfo})
            if (rowsOverlap(label, *button) && label.x < button->x)
                each(*button);
    };
    for (std::size_t i = 0; i < kLabelCount; ++i) {
        PixelRect& label = placement.labels[i];
        // The second warning line is designed to run under the system
        // information button: a label ends where a button beside it starts.
        besideButtons(label, [&](const PixelRect& button) { label.width = std::min(label.width, button.x - label.x); });
        label.width = std::max(label.width, texts.labels[i].width);
    }

    int shift = 0;
    const int gap = px(kWarningButtonGap);
    for (std::size_t i = 0; i < kLabelCount; ++i)
        besideButtons(placement.labels[i], [&](const PixelRect& button) {
            shift = std::max(shift, placement.labels[i].x + texts.labels[i].width + gap - button.x);
        });
    placement.ok.x += shift;
    placement.systemInfo.x += shift;

    if (texts.englishWarning) {
        int top = std::max(bottom(placement.ok), bottom(placement.systemInfo));
        for (const PixelRect& label : placement.labels)
            top = std::max(top, bottom(label));
        placement.englishWarning = PixelRect{placement.labels[kWarning1Label].x, top + px(kEnglishWarningGap),
                                             texts.englishWarning->width, texts.englishWarning->height};
    }

    const int margin = px(kClientWidth) - px(kOkRect.right());
    const int bottomMargin = px(kClientHeight) - px(kSystemInfoRect.bottom());
    placement.clientWidth = px(kClientWidth);
    placement.clientHeight = px(kClientHeight);
    std::vector<const PixelRect*> all{&placement.ok, &placement.systemInfo};
    for (const PixelRect& label : placement.labels)
        all.push_back(&label);
    if (placement.englishWarning)
        all.push_back(&*placement.englishWarning);
    for (const PixelRect* r : all) {
        placement.clientWidth = std::max(placement.clientWidth, r->x + r->width + margin);
        placement.clientHeight = std::max(placement.clientHeight, bottom(*r) + bottomMargin);
    }
    return placement;
}

}  // namespace varno::about
