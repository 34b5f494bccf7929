#include "core/main_window_layout.h"

#include <gtest/gtest.h>

#include <cmath>

namespace varno::main_window {
namespace {

bool overlaps(const PixelRect& a, const PixelRect& b)
{
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

// Whatever the font, each button gets its whole caption and the controls
// stay apart, in their designed order; at the design's size nothing moves.
TEST(MainWindowLayout, ButtonsFitTheirCaptionsAndStayApart)
{
    const struct {
        const char* what;
        FaceSize face1, face2;
        double dpi;
        ControlRow expected;
    } table[] = {
        {"design size at 96 DPI", {60, 20}, {60, 20}, 96,
         {{32, 16, 121, 17}, {176, 16, 73, 25}, {256, 16, 73, 25}}},
        // 14 points: 「色変更1」 needs 94 × 31 and runs under 「色変更2」 otherwise.
        {"14-point captions", {94, 31}, {94, 31}, 96, {{32, 16, 121, 17}, {176, 16, 94, 31}, {277, 16, 94, 31}}},
        {"144 DPI, only the second wider", {90, 30}, {140, 40}, 144,
         {{48, 24, 182, 26}, {264, 24, 109, 37}, {384, 24, 140, 40}}},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.what);
        const ControlRow placed = placeControlRow(row.face1, row.face2, row.dpi);
        EXPECT_EQ(placed.periodBar, row.expected.periodBar);
        EXPECT_EQ(placed.colour1, row.expected.colour1);
        EXPECT_EQ(placed.colour2, row.expected.colour2);
        EXPECT_FALSE(overlaps(placed.colour1, placed.colour2));
        EXPECT_FALSE(overlaps(placed.periodBar, placed.colour1));
    }
}

// At a fractional device ratio every edge lands on a whole device pixel, so
// no control's window shows a row or column that its painting never reaches.
TEST(MainWindowLayout, EdgesOnWholeDevicePixels)
{
    for (const double ratio : {1.0, 1.25, 1.5, 1.75, 2.0}) {
        const ControlRow placed = placeControlRow({60, 20}, {95, 31}, 96, ratio);
        for (const PixelRect& r : {placed.periodBar, placed.colour1, placed.colour2})
            for (const int edge : {r.x, r.y, r.width, r.height}) {
                const double device = edge * ratio;
                EXPECT_DOUBLE_EQ(device, std::round(device)) << ratio << ": " << edge;
            }
        EXPECT_FALSE(overlaps(placed.colour1, placed.colour2)) << ratio;
        EXPECT_GE(placed.colour2.width, 95);
    }
}

}  // namespace
}  // namespace varno::main_window
