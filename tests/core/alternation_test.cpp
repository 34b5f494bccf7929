#include "core/alternation.h"

#include <gtest/gtest.h>

#include <string>

namespace varno {
namespace {

constexpr Colour kRed = 0x0000FF;
constexpr Colour kGreen = 0x00FF00;

// A run of clicks (t), ticks (k) and colour changes, with what each step
// leaves: the colour shown, the menu caption, and whether ticks are wanted.
TEST(Alternation, ClicksTicksAndColours)
{
    struct Step {
        char action;  // t: toggle, x: stop, k: tick, r/g: colour 1 red/green, s: colour 2 green
        Colour shown;
        const char* caption;
        bool ticking;
    };
    const struct {
        const char* what;
        std::vector<Step> steps;
    } runs[] = {
        {"a tick while stopped changes nothing, nor does a stop",
         {{'k', kSystemButtonFace, "開始(&O)...", false}, {'x', kSystemButtonFace, "開始(&O)...", false}}},
        {"white first from the button face, then black, and a stop keeps the colour",
         {{'t', kSystemButtonFace, "終了", true},
          {'k', kWhite, "終了", true},
          {'k', kBlack, "終了", true},
          {'k', kWhite, "終了", true},
          {'x', kWhite, "開始", false},
          {'k', kWhite, "開始", false},
          {'x', kWhite, "開始", false},
          {'t', kWhite, "終了", true},
          {'k', kBlack, "終了", true}}},
        {"a colour showing that is no longer colour 1 goes to colour 1",
         {{'t', kSystemButtonFace, "終了", true},
          {'k', kWhite, "終了", true},
          {'r', kWhite, "終了", true},
          {'k', kRed, "終了", true},
          {'k', kBlack, "終了", true}}},
        {"equal colours: steady",
         {{'g', kSystemButtonFace, "開始(&O)...", false},
          {'s', kSystemButtonFace, "開始(&O)...", false},
          {'t', kSystemButtonFace, "終了", true},
          {'k', kGreen, "終了", true},
          {'k', kGreen, "終了", true}}},
    };
    for (const auto& run : runs) {
        SCOPED_TRACE(run.what);
        Alternation alternation;
        for (std::size_t i = 0; i < run.steps.size(); ++i) {
            const Step& step = run.steps[i];
            SCOPED_TRACE("step " + std::to_string(i) + " '" + step.action + "'");
            switch (step.action) {
            case 't': alternation.toggle(); break;
            case 'x': alternation.stop(); break;
            case 'k': {
                const auto changed = alternation.tick();
                EXPECT_EQ(changed.has_value(), alternation.running());
                break;
            }
            case 'r': alternation.setColour1(kRed); break;
            case 'g': alternation.setColour1(kGreen); break;
            case 's': alternation.setColour2(kGreen); break;
            }
            EXPECT_EQ(alternation.shown(), step.shown);
            EXPECT_EQ(std::string(alternation.startStopCaption()), step.caption);
            EXPECT_EQ(alternation.wantsTicks(), step.ticking);
        }
    }
}

TEST(Alternation, PeriodStaysWithinTheBarAndZeroWantsNoTicks)
{
    Alternation alternation;
    EXPECT_EQ(alternation.periodMs(), 20) << "the timer's own period, not the bar's 50";
    alternation.toggle();
    const std::tuple<int, int, bool, const char*> cases[] = {
        {100, 100, true, "100 ms (5 Hz)"}, {0, 0, false, "0 ms (点滅停止)"}, {500, 500, true, "500 ms (1 Hz)"},
        {900, 500, true, "500 ms (1 Hz)"}, {-7, 0, false, "0 ms (点滅停止)"}, {1, 1, true, "1 ms (500 Hz)"},
        {3, 3, true, "3 ms (167 Hz)"},     {20, 20, true, "20 ms (25 Hz)"},   {300, 300, true, "300 ms (1.67 Hz)"}};
    for (const auto& [set, period, ticking, text] : cases) {
        alternation.setPeriodMs(set);
        EXPECT_EQ(alternation.periodMs(), period) << set;
        EXPECT_EQ(alternation.wantsTicks(), ticking) << set;
        EXPECT_EQ(periodText(alternation.periodMs()), text) << set;
    }
}

}  // namespace
}  // namespace varno
