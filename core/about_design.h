#pragma once

#include "core/design.h"

#include <string>

namespace varno::about {

inline constexpr const char* kCaption = "ﾊﾞｰｼﾞｮﾝ情報 ゾルテカ";
inline constexpr const char* kOkButton = "OK";
inline constexpr const char* kSystemInfoButton = "ｼｽﾃﾑ情報(&S)...";
inline constexpr const char* kDescription = "ゾルテカ作成ソフトです。";
inline constexpr const char* kCopyright = "Copyright (C) 2024-2026 ゾルテカ開発チーム";
inline constexpr const char* kContact = "連絡先: support@zoruteka.example";
// The two-line warning: the second line starts with three ideographic spaces.
inline constexpr const char* kWarning1 = "警告:このソフトを小さい子供に見せないでください。";
inline constexpr const char* kWarning2 = "　　　意識障害やけいれんなどを引き起こす場合があります";
inline constexpr const char* kWarningEnglish =
    "Warning: do not show this program to small children.\nIt may cause impaired consciousness or convulsions";

inline constexpr int kClientWidth = 6732;
inline constexpr int kClientHeight = 4020;

inline constexpr DesignRect kOkRect{4845, 2625, 1692, 345};
inline constexpr DesignRect kSystemInfoRect{4860, 3075, 1680, 345};
inline constexpr DesignRect kIconRect{240, 240, 432, 432};
inline constexpr DesignRect kWarning1Rect{255, 2625, 3870, 345};
inline constexpr DesignRect kVersionRect{1050, 780, 3885, 225};
inline constexpr DesignRect kTitleRect{1050, 240, 3885, 480};
inline constexpr DesignRect kDescriptionRect{1050, 1125, 3885, 330};
inline constexpr DesignRect kCopyrightRect{1080, 1680, 3885, 330};
inline constexpr DesignRect kWarning2Rect{240, 3000, 4695, 345};
inline constexpr DesignRect kContactRect{1080, 2040, 3885, 330};
// The etched rule: a grey line one pixel high with a white one, two pixels
// high, a pixel below it.
inline constexpr DesignRect kRuleGrey{225, 2430, 5450 - 225, 15};
inline constexpr DesignRect kRuleWhite{240, 2445, 5450 - 240, 30};
inline constexpr unsigned kRuleGreyRgb = 0x808080;
inline constexpr unsigned kIconBackgroundRgb = 0xC0C0C0;
// The program icon is 32 pixels, 480 twips at 15 twips a pixel.
inline constexpr int kIconTwips = 480;

// What a text keeps clear of the buttons beside it.
inline constexpr int kWarningButtonGap = 120;

// How far the buttons and the dialog's right edge move right so that each
// warning line, of the text widths given (in twips, as measured in the
// dialog's font), stays on one line clear of the buttons: the warning must
// never break mid-word. 0 when both fit as designed; the height never changes.
double wideningForWarnings(double warning1Width, double warning2Width);

// "Version 1.4.0": plain decimal numbers, the revision even when 0.
std::string versionText(int major, int minor, int revision);

}  // namespace varno::about
