#pragma once

#include <optional>
#include <string>

namespace varno {

// Window bounds are kept as text in twips, written like the classic runtime
// writes a single-precision number: "6500", "1234.5", never "6500.0".
std::string FormatStoredSingle(float value);

// Reads a stored bound. Surrounding spaces are accepted; text that is not a
// whole decimal number, and values that are not finite, give nothing.
std::optional<float> ParseStoredSingle(const std::string& text);

struct StoredBounds {
    float left = 1000;
    float top = 1000;
    float width = 6500;
    float height = 6500;
};

// Bounds are saved this far (about 1.7 km at 96 DPI) from the origin at the
// most; beyond, a pixel count would no longer fit in an int.
inline constexpr float kMaxStoredTwips = 1.0e8f;

// Each text that cannot be used falls back to its own default; widths and
// heights must be positive.
StoredBounds BoundsFromStoredTexts(const std::string& left, const std::string& top,
                                   const std::string& width, const std::string& height);

}  // namespace varno
