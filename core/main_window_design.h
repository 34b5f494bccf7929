#pragma once

#include "core/design.h"

namespace varno::main_window {

inline constexpr const char* kViewMenu = "表示(&V)";
inline constexpr const char* kBrowserItem = "WWW ﾌﾞﾗｳｻﾞ(&W)";  // designed in, never wired to anything
inline constexpr const char* kHelpMenu = "ﾍﾙﾌﾟ(&H)";
inline constexpr const char* kAboutItem = "ﾊﾞｰｼﾞｮﾝ情報(&A)ゾルテカ...";
inline constexpr const char* kColour1Button = "色変更1";
inline constexpr const char* kColour2Button = "色変更2";

// The surface starts this far beyond the client area's top-left corner, so
// its border stays out of view; the controls are placed on it.
inline constexpr int kSurfaceOffset = 120;
inline constexpr DesignRect kPeriodBar{480, 240, 1815, 255};
inline constexpr DesignRect kColour1ButtonRect{2640, 240, 1092, 372};
inline constexpr DesignRect kColour2ButtonRect{3840, 240, 1092, 372};

}  // namespace varno::main_window
