#pragma once

#include <cstdint>

namespace varno {

// 0x00BBGGRR, red in the low byte; with the top bit set, the low byte is
// the index of a system colour instead.
using Colour = std::uint32_t;

inline constexpr Colour kWhite = 0x00FFFFFFu;
inline constexpr Colour kBlack = 0x00000000u;
inline constexpr Colour kSystemColourFlag = 0x80000000u;
inline constexpr Colour kSystemButtonFace = kSystemColourFlag | 15u;

constexpr bool isSystemColour(Colour colour) noexcept { return (colour & kSystemColourFlag) != 0; }
constexpr int systemColourIndex(Colour colour) noexcept { return static_cast<int>(colour & 0xFFu); }
constexpr int redOf(Colour colour) noexcept { return static_cast<int>(colour & 0xFFu); }
constexpr int greenOf(Colour colour) noexcept { return static_cast<int>((colour >> 8) & 0xFFu); }
constexpr int blueOf(Colour colour) noexcept { return static_cast<int>((colour >> 16) & 0xFFu); }
constexpr Colour rgbColour(int red, int green, int blue) noexcept
{
    return static_cast<Colour>(red & 0xFF) | static_cast<Colour>(green & 0xFF) << 8 |
           static_cast<Colour>(blue & 0xFF) << 16;
}

}  // namespace varno
