#include "main_window/stored_number.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

namespace varno {
namespace {

TEST(StoredNumber, FormatsLikeTheClassicRuntimeAndReadsItBack)
{
    const std::pair<float, const char*> table[] = {
        {6500.0f, "6500"}, {1234.5f, "1234.5"}, {-120.0f, "-120"}, {0.0f, "0"}, {-0.0f, "0"},
        {0.25f, "0.25"}, {1234567.0f, "1234567"}, {12345678.0f, "1.234568E+07"}, {6494.9995f, "6495"},
    };
    for (const auto& [value, text] : table) {
        EXPECT_EQ(FormatStoredSingle(value), text) << value;
        const auto back = ParseStoredSingle(text);
        ASSERT_TRUE(back) << text;
        EXPECT_NEAR(*back, value, 1e-6f * std::max(1.0f, std::abs(value) * 10)) << text;
    }
}

TEST(StoredNumber, RejectsWhatIsNotAWholeFiniteNumber)
{
    const std::pair<const char*, std::optional<float>> table[] = {
        {"  1000  ", 1000.0f}, {"\t42\t", 42.0f}, {"+7", 7.0f},  {"", std::nullopt},
        {"   ", std::nullopt}, {"abc", std::nullopt}, {"12abc", std::nullopt}, {"1 2", std::nullopt},
        {"inf", std::nullopt}, {"nan", std::nullopt}, {"1e999", std::nullopt}, {"1,5", std::nullopt},
        {"0x10", std::nullopt},
    };
    for (const auto& [text, expected] : table)
        EXPECT_EQ(ParseStoredSingle(text), expected) << '"' << text << '"';
}

TEST(StoredNumber, EachUnusableBoundFallsBackAlone)
{
    struct {
        const char *left, *top, *width, *height;
        StoredBounds expected;
    } table[] = {
        {"15", "-30", "7000.5", "4000.25", {15, -30, 7000.5f, 4000.25f}},
        {"left", "1x", "wide", "", {1000, 1000, 6500, 6500}},
        {"0", "0", "0", "-1", {0, 0, 6500, 6500}},
        {"inf", "nan", "1e40", "-inf", {1000, 1000, 6500, 6500}},
        {"3e9", "-3e9", "2e8", "5000", {1000, 1000, 6500, 5000}},  // too far for a pixel count
    };
    for (const auto& row : table) {
        const StoredBounds b = BoundsFromStoredTexts(row.left, row.top, row.width, row.height);
        EXPECT_EQ(b.left, row.expected.left) << row.left;
        EXPECT_EQ(b.top, row.expected.top) << row.top;
        EXPECT_EQ(b.width, row.expected.width) << row.width;
        EXPECT_EQ(b.height, row.expected.height) << row.height;
    }
}

}  // namespace
}  // namespace varno
