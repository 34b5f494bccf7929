#include "core/window_geometry.h"

#include "support/fakes.h"

#include <gtest/gtest.h>

namespace varno {

void PrintTo(const StoredBounds& b, std::ostream* os)
{
    *os << b.left << ", " << b.top << ", " << b.width << ", " << b.height;
}

namespace {

TEST(WindowGeometry, EachUnusableStoredValueFallsBackAlone)
{
    const struct {
        const char *left, *top, *width, *height;
        StoredBounds expected;
    } table[] = {
        {"15", "-30", "7000.5", "4000.25", {15, -30, 7000.5f, 4000.25f}},
        {"left", "1x", "wide", "", {1000, 1000, 6500, 6500}},
        {"0", "0", "0", "-1", {0, 0, 6500, 6500}},
        {"inf", "nan", "1e40", "-inf", {1000, 1000, 6500, 6500}},
        {"3e9", "-3e9", "2e8", "5000", {1000, 1000, 6500, 5000}},  // too far for a pixel count
        {"&H3E8", "&O1750", "&H1964", " &h1964 ", {1000, 1000, 6500, 6500}},  // the runtime's radix forms
        {"&HFFFF", "0", "&HFFFF", "&H100000000", {-1, 0, 6500, 6500}},
    };
    for (const auto& row : table)
        EXPECT_EQ(boundsFromStoredTexts(row.left, row.top, row.width, row.height), row.expected) << row.left;
}

// 15 twips a pixel at 96 DPI: the defaults 1000 and 6500 land on 67 and 433.
TEST(WindowGeometry, WhatIsStoredNeverDriftsAndIsAlwaysReadableAgain)
{
    const StoredBounds defaults;
    const struct {
        const char* what;
        StoredBounds loaded;
        PixelRect now;
        Dpi dpi;
        StoredBounds stored;
        bool positionKnown = true;
    } table[] = {
        {"untouched defaults come back as they were", defaults, {67, 67, 433, 433}, {}, defaults},
        {"a move changes only the position", defaults, {100, 200, 433, 433}, {}, {1500, 3000, 6500, 6500}},
        {"a resize changes only the size", {1000.5f, 7, 6500, 6500}, {67, 0, 500, 400}, {},
         {1000.5f, 7, 7500, 6000}},
        {"at 144 DPI, 10 twips a pixel", defaults, {100, 100, 650, 651}, {144, 144}, {1000, 1000, 6500, 6510}},
        {"bounds the window cannot report keep the loaded ones", {2000, 2000, 3000, 300}, {0, 0, -1, -1}, {},
         {2000, 2000, 3000, 300}},
        {"a position too far out keeps the loaded bounds", defaults, {7000000, 67, 433, 433}, {}, defaults},
        {"sides under half a pixel, restored as one, come back as read", {1000, 1000, 5, 0.5f}, {67, 67, 1, 1}, {},
         {1000, 1000, 5, 0.5f}},
        {"... and a real resize of such a side is stored", {1000, 1000, 5, 7}, {67, 67, 2, 1}, {}, {1000, 1000, 30, 7}},
        // Wayland reports 0, 0 for every window.
        {"an unknown position is kept as read", {1000.5f, -7, 6500, 6500}, {0, 0, 500, 433}, {},
         {1000.5f, -7, 7500, 6500}, false},
        {"an unknown position, far out, is still kept", {9.0e7f, 1000, 6500, 6500}, {0, 0, 433, 433}, {},
         {9.0e7f, 1000, 6500, 6500}, false},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.what);
        const StoredBounds stored = boundsToStore(row.now, row.dpi, row.loaded, row.positionKnown);
        EXPECT_EQ(stored, row.stored);
        testing_support::FakeSettingsStore store;
        ASSERT_TRUE(writeStoredBounds(store, stored));
        EXPECT_EQ(readStoredBounds(store), stored) << "read back as written";
    }
}

TEST(WindowGeometry, StoresAllFourValuesInOneWriteAndReadsDefaultsWhenAbsent)
{
    testing_support::FakeSettingsStore store;
    EXPECT_EQ(readStoredBounds(store), StoredBounds{});
    ASSERT_TRUE(writeStoredBounds(store, {1500, -120, 7500.5f, 6000}));
    EXPECT_EQ(store.writes, 1);
    using Key = std::tuple<std::string, std::string, std::string>;
    EXPECT_EQ(store.values, (std::map<Key, std::string>{{{"ゾルテカ", "Settings", "MainLeft"}, "1500"},
                                                        {{"ゾルテカ", "Settings", "MainTop"}, "-120"},
                                                        {{"ゾルテカ", "Settings", "MainWidth"}, "7500.5"},
                                                        {{"ゾルテカ", "Settings", "MainHeight"}, "6000"}}));
}

TEST(WindowGeometry, BoundsOffEveryScreenComeBackCentredOnThePrimary)
{
    const std::vector<PixelRect> screens{{0, 0, 1280, 1000}, {1280, 0, 1920, 1080}};
    const std::pair<PixelRect, PixelRect> cases[] = {
        {{100, 100, 500, 400}, {100, 100, 500, 400}},
        {{3000, 50, 500, 400}, {3000, 50, 500, 400}},          // on the second screen
        {{60000, -60000, 500, 400}, {390, 300, 500, 400}},     // a monitor unplugged since
        {{-9000, 0, 4000, 3000}, {0, 0, 1280, 1000}},          // and no larger than the screen
    };
    for (const auto& [bounds, expected] : cases)
        EXPECT_EQ(keepOnScreen(bounds, screens), expected) << bounds.x;
}

}  // namespace
}  // namespace varno
