#pragma once

namespace varno {

// A control's place as designed, in twips (1/1440 inch).
struct DesignRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    constexpr int right() const noexcept { return left + width; }
    constexpr int bottom() const noexcept { return top + height; }
};

}  // namespace varno
