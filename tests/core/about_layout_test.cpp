#include "core/about_layout.h"

#include "core/about_design.h"
#include "core/twips.h"

#include <gtest/gtest.h>

#include <vector>

namespace varno::about {
namespace {

bool overlaps(const PixelRect& a, const PixelRect& b)
{
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

AboutTexts measured(const std::array<TextSize, kLabelCount>& labels, TextSize ok = {}, TextSize systemInfo = {},
                    std::optional<TextSize> english = std::nullopt)
{
    return {labels, ok, systemInfo, english};
}

bool inside(const PixelRect& r, const AboutPlacement& p)
{
    return r.x >= 0 && r.y >= 0 && r.x + r.width <= p.clientWidth && r.y + r.height <= p.clientHeight;
}

// Whatever the font asks, every text gets its one line whole, every button
// its whole face, nothing lies on anything else, the rule stays between the
// texts and the warning, and everything stays inside the dialog.
TEST(AboutLayout, TextsStayOnOneLineBesideTheButtons)
{
    std::array<TextSize, kLabelCount> small{}, japanese{}, wideTitle{}, huge{}, large{};
    small.fill({40, 10});
    // 9-point text at 96 DPI: each warning line is wider than designed.
    japanese.fill({200, 17});
    japanese[kWarning1Label] = {288, 17};
    japanese[kWarning2Label] = {324, 17};
    wideTitle = japanese;
    wideTitle[kTitleLabel] = {600, 40};
    huge.fill({900, 60});
    // 14-point text at 96 DPI, as measured in Noto Sans CJK JP.
    large = {{{455, 27}, {122, 27}, {86, 27}, {241, 27}, {408, 27}, {512, 27}, {324, 27}}};
    const struct {
        const char* what;
        AboutTexts texts;
        double dpi;
        bool designSize;
    } cases[] = {
        {"short texts keep the design", measured(small), 96, true},
        {"the warning lines push the buttons right", measured(japanese), 96, false},
        {"a wide title widens the dialog only", measured(wideTitle), 96, false},
        {"everything huge, at 144 DPI", measured(huge, {300, 80}, {300, 80}), 144, false},
        {"14-point texts and buttons", measured(large, {60, 34}, {150, 34}), 96, false},
        {"with the warning in English", measured(japanese, {}, {}, TextSize{330, 34}), 96, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const AboutPlacement p = placeAbout(c.texts, c.dpi);
        const auto px = [&](int twips) { return twipsToPixels(twips, c.dpi); };
        EXPECT_EQ(p.clientWidth == px(kClientWidth) && p.clientHeight == px(kClientHeight), c.designSize);
        EXPECT_EQ(p.ok.x, p.systemInfo.x - (px(kSystemInfoRect.left) - px(kOkRect.left)));
        EXPECT_GE(p.ok.width, c.texts.ok.width);
        EXPECT_GE(p.ok.height, c.texts.ok.height);
        EXPECT_GE(p.systemInfo.width, c.texts.systemInfo.width);
        EXPECT_GE(p.systemInfo.height, c.texts.systemInfo.height);
        EXPECT_FALSE(overlaps(p.ok, p.systemInfo));
        std::vector<PixelRect> texts(p.labels.begin(), p.labels.end());
        if (p.englishWarning)
            texts.push_back(*p.englishWarning);
        EXPECT_EQ(p.englishWarning.has_value(), c.texts.englishWarning.has_value());
        for (std::size_t i = 0; i < texts.size(); ++i) {
            SCOPED_TRACE(i);
            if (i < kLabelCount) {
                EXPECT_GE(texts[i].width, c.texts.labels[i].width);
                EXPECT_GE(texts[i].height, c.texts.labels[i].height);
            }
            EXPECT_FALSE(overlaps(texts[i], p.ok));
            EXPECT_FALSE(overlaps(texts[i], p.systemInfo));
            EXPECT_TRUE(inside(texts[i], p));
            for (std::size_t j = 0; j < i; ++j)
                EXPECT_FALSE(overlaps(texts[i], texts[j])) << j;
        }
        EXPECT_LT(p.labels[kContactLabel].y + p.labels[kContactLabel].height, p.rule.y + 1);
        EXPECT_LE(p.rule.y + 3, p.labels[kWarning1Label].y);
        EXPECT_LE(p.rule.y + 3, p.ok.y);
        EXPECT_TRUE(inside(p.ok, p) && inside(p.systemInfo, p));
    }
}

// The warning must never wrap: the buttons and the right edge move right by
// exactly what the wider line needs, and not at all while both fit.
TEST(AboutLayout, WarningLinesPushTheButtonsRightOnlyAsFarAsNeeded)
{
    // The lines start at 255 and 240; the buttons at 4845, with 120 kept clear.
    const std::tuple<double, double, double> cases[] = {
        {4470, 4485, 0}, {4471, 0, 1}, {0, 4500, 15}, {5000, 4000, 530}};
    for (const auto& [line1, line2, widening] : cases)
        EXPECT_DOUBLE_EQ(wideningForWarnings(line1, line2), widening) << line1 << ", " << line2;
}

TEST(AboutLayout, DesignPlacesAt96Dpi)
{
    std::array<TextSize, kLabelCount> none{};
    const AboutPlacement p = placeAbout(none, 96);
    // 15 twips a pixel: OK at 4845, 2625, 1692 × 345 twips.
    EXPECT_EQ(p.ok, (PixelRect{323, 175, 113, 23}));
    // The second warning line ends where the system information button starts.
    EXPECT_EQ(p.labels[kWarning2Label], (PixelRect{16, 200, 308, 23}));
    EXPECT_EQ(std::pair(p.clientWidth, p.clientHeight), std::pair(449, 268));
}

}  // namespace
}  // namespace varno::about
