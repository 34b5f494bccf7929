#include "core/fill_tiles.h"

#include "support/core_printers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <string>
#include <vector>

namespace varno {

namespace {

// The client area below a 24-unit menu bar, one control on it, and Qt's
// frame of 3 units around and 30 above the content, at each scale.
const PixelRect kArea{0, 24, 400, 300};
const PixelRect kControl{10, 34, 100, 20};
const PixelRect kContent{3, 30, 2000, 2000};

TEST(FillTiles, FollowTheDevicePixelsAtEveryScale)
{
    const std::vector<PixelRect> one{kControl};
    const struct {
        const char* what;
        PixelRect area;
        SurfaceScale scale;
        FillTiles expected;
        std::vector<PixelRect> controls;
        PixelRect content = kContent;
    } table[] = {
        {"1", kArea, {1, 1},
         {{{3, 54, 400, 9}, {3, 63, 9, 22}, {114, 63, 289, 22}, {3, 85, 400, 269}}, {3, 54, 400, 300}}, one},
        {"QT_SCALE_FACTOR 1.25", kArea, {1.25, 1},
         {{{3, 60, 500, 12}, {3, 72, 12, 27}, {142, 72, 361, 27}, {3, 99, 500, 336}}, {3, 60, 500, 375}}, one},
        {"QT_SCALE_FACTOR 1.5", kArea, {1.5, 1},
         {{{3, 66, 600, 14}, {3, 80, 14, 32}, {169, 80, 434, 32}, {3, 112, 600, 404}}, {3, 66, 600, 450}}, one},
        {"QT_SCALE_FACTOR 2", kArea, {2, 1},
         {{{3, 78, 800, 19}, {3, 97, 19, 42}, {224, 97, 579, 42}, {3, 139, 800, 539}}, {3, 78, 800, 600}}, one},
        // The compositor's own scale: surface units stay what they are at 1.
        {"buffer scale 2", kArea, {2, 2},
         {{{3, 54, 400, 9}, {3, 63, 9, 22}, {114, 63, 289, 22}, {3, 85, 400, 269}}, {3, 54, 400, 300}}, one},
        {"1.5 on buffer scale 2", kArea, {3, 2},
         {{{3, 66, 600, 14}, {3, 80, 14, 32}, {169, 80, 434, 32}, {3, 112, 600, 404}}, {3, 66, 600, 450}}, one},
        // 25 units are 37.5 surface units: the tiles above start below the
        // menu bar's last device pixel, the one beneath covers the area's first.
        {"an edge between surface units", {0, 25, 400, 299}, {3, 2},
         {{{3, 68, 600, 12}, {3, 80, 14, 32}, {169, 80, 434, 32}, {3, 112, 600, 404}}, {3, 67, 600, 449}}, one},
        // Qt rounds the window's size to whole units: 853 × 1.5 overshoots
        // a content 1279 wide by half a unit.
        {"clipped to the content", {0, 0, 853, 100}, {1.5, 1}, {{{3, 30, 1279, 150}}, {3, 30, 1279, 150}}, {},
         {3, 30, 1279, 1000}},
        {"an area outside the content", {0, 3000, 10, 10}, {1, 1}, {}, one},
        {"a nonsense scale counts as 1", kArea, {NAN, 0},
         {{{3, 54, 400, 9}, {3, 63, 9, 22}, {114, 63, 289, 22}, {3, 85, 400, 269}}, {3, 54, 400, 300}}, one},
    };
    for (const auto& row : table)
        EXPECT_EQ(fillTiles(row.area, row.controls, row.content, row.scale), row.expected) << row.what;
}

// Device pixels, relative to the window surface.
struct DeviceRect {
    long left, top, right, bottom;

    bool contains(long x, long y) const { return x >= left && x < right && y >= top && y < bottom; }
    DeviceRect grown(long by) const { return {left - by, top - by, right + by, bottom + by}; }
};

// For layouts with controls touching, overlapping, at the area's edges and
// beyond it: the tiles above never cover a control's pixel or one outside
// the area, never overlap, and leave only thin seams, which the tile
// beneath covers.
TEST(FillTiles, AboveNeverHidesAControlAndBeneathLeavesNoGap)
{
    const PixelRect area{0, 25, 261, 79};  // edges between surface units at 1.5 and 2.5 on buffer scale 2
    const std::vector<PixelRect> layouts[] = {
        {{10, 34, 100, 20}, {120, 34, 60, 23}, {190, 30, 60, 23}},
        {{10, 34, 100, 20}, {60, 40, 100, 40}},                  // overlapping
        {{0, 24, 30, 30}, {240, 90, 50, 50}},                    // at and across the edges
        {{10, 34, 100, 20}, {110, 34, 100, 20}},                 // touching
        {{-50, 0, 20, 20}, {500, 500, 10, 10}, {20, 40, 0, 5}},  // outside or empty
    };
    const SurfaceScale scales[] = {{1, 1}, {1.25, 1}, {1.5, 1}, {1.75, 1}, {2, 1}, {2, 2}, {2.5, 2}, {3, 2}, {3, 3}};
    for (const auto& controls : layouts) {
        for (const SurfaceScale scale : scales) {
            const FillTiles tiles = fillTiles(area, controls, kContent, scale);
            const long b = scale.bufferScale;
            const auto onDevice = [&](const PixelRect& r) {
                const auto at = [&](double v) { return long(std::floor(v * scale.devicePixelRatio + 0.5)); };
                return DeviceRect{kContent.x * b + at(r.x), kContent.y * b + at(r.y),
                                  kContent.x * b + at(r.x + r.width), kContent.y * b + at(r.y + r.height)};
            };
            const auto ofTile = [&](const PixelRect& r) {
                return DeviceRect{r.x * b, r.y * b, (r.x + r.width) * b, (r.y + r.height) * b};
            };
            const long seam = b + 1;  // rounding to a surface unit, and the pixel to spare
            const DeviceRect areaPixels = onDevice(area);
            std::vector<DeviceRect> controlPixels;
            for (const PixelRect& c : controls)
                if (c.width > 0 && c.height > 0)
                    controlPixels.push_back(onDevice(c));
            std::vector<DeviceRect> abovePixels;
            for (const PixelRect& t : tiles.above)
                abovePixels.push_back(ofTile(t));

            std::string fault;
            for (long y = areaPixels.top - 2 * b; fault.empty() && y < areaPixels.bottom + 2 * b; ++y) {
                for (long x = areaPixels.left - 2 * b; fault.empty() && x < areaPixels.right + 2 * b; ++x) {
                    int above = 0;
                    for (const DeviceRect& t : abovePixels)
                        above += t.contains(x, y);
                    bool onControl = false, nearControl = false;
                    for (const DeviceRect& c : controlPixels) {
                        onControl |= c.contains(x, y);
                        nearControl |= c.grown(seam).contains(x, y);
                    }
                    const bool inArea = areaPixels.contains(x, y);
                    const bool nearEdge = !areaPixels.grown(-seam).contains(x, y);
                    if (above > 1)
                        fault = "tiles overlap";
                    else if (above && (!inArea || onControl))
                        fault = "a tile above hides what is not the fill";
                    else if (inArea && !ofTile(tiles.beneath).contains(x, y))
                        fault = "the tile beneath leaves a gap";
                    else if (inArea && !nearControl && !nearEdge && !above)
                        fault = "a gap above far from any control or edge";
                    if (!fault.empty())
                        fault += " at device pixel " + std::to_string(x) + "," + std::to_string(y);
                }
            }
            EXPECT_EQ(fault, "") << "scale " << scale.devicePixelRatio << ", buffer scale " << b << ", "
                                 << controls.size() << " controls";
        }
    }
}

}  // namespace
}  // namespace varno
