#include "main_window/alternation.h"

#include <gtest/gtest.h>
#include <vector>

namespace varno {
namespace {

struct TickCase {
    const char* name;
    Colour start;
    Colour color1;
    Colour color2;
    std::vector<Colour> expected;  // the colour after each tick
};

class TickSequence : public testing::TestWithParam<TickCase> {};

TEST_P(TickSequence, FollowsTheCompareWithColor1Rule)
{
    const TickCase& c = GetParam();
    Colour shown = c.start;
    std::vector<Colour> seen;
    for (std::size_t i = 0; i < c.expected.size(); ++i)
        seen.push_back(shown = NextColour(shown, c.color1, c.color2));
    EXPECT_EQ(seen, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Alternation, TickSequence,
    testing::Values(
        TickCase{"FromButtonFaceWhiteFirst", kSysButtonFace, kWhite, kBlack, {kWhite, kBlack, kWhite, kBlack}},
        TickCase{"EqualColoursStaySteady", 0x123456, 0x00FF00, 0x00FF00, {0x00FF00, 0x00FF00, 0x00FF00}},
        TickCase{"ShowingColor2GoesToColor1", kBlack, kWhite, kBlack, {kWhite, kBlack}},
        TickCase{"OldColourGoesToColor1", 0x0000FF, 0x00FF00, 0xFF0000, {0x00FF00, 0xFF0000, 0x00FF00}},
        // A system colour index is not the colour it names: no match.
        TickCase{"SystemIndexNeverEqualsPlainColour", kSystemColourFlag | 0x00FFFFFFu, kWhite, kBlack,
                 {kWhite, kBlack}}),
    [](const testing::TestParamInfo<TickCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace varno
