#pragma once

#include <cstdint>

namespace varno {

using Colour = std::uint32_t;  // 0x00BBGGRR; top bit set names a system colour

inline constexpr Colour kWhite = 0x00FFFFFFu;
inline constexpr Colour kBlack = 0x00000000u;
inline constexpr Colour kSystemColourFlag = 0x80000000u;
inline constexpr Colour kSysButtonFace = kSystemColourFlag | 15u;
inline constexpr Colour kSysActiveBorder = kSystemColourFlag | 10u;

using Flag = std::int16_t;  // true is -1, false is 0
inline constexpr Flag kTrue = -1;
inline constexpr Flag kFalse = 0;

// The colour the surface shows after a tick: only Color1 is compared, so a
// surface showing neither colour goes to Color1 first.
constexpr Colour NextColour(Colour current, Colour color1, Colour color2) noexcept
{
    return current == color1 ? color2 : color1;
}

inline constexpr const char* kCaptionStartFirst = "開始(&O)...";
inline constexpr const char* kCaptionStop = "終了";
inline constexpr const char* kCaptionStart = "開始";

inline constexpr int kDefaultPeriodMs = 20;
inline constexpr int kPeriodMin = 0;
inline constexpr int kPeriodMax = 500;
inline constexpr int kScrollInitial = 50;

}  // namespace varno
