#include "main_window/stored_number.h"

#include <clocale>
#include <cmath>
#include <gtest/gtest.h>

namespace varno {
namespace {

TEST(StoredNumber, FormatsLikeTheClassicRuntime)
{
    const std::pair<float, const char*> table[] = {
        {6500.0f, "6500"},   {1000.0f, "1000"},     {1234.5f, "1234.5"}, {-120.0f, "-120"},
        {0.0f, "0"},         {-0.0f, "0"},          {0.25f, "0.25"},     {28800.0f, "28800"},
        {1234567.0f, "1234567"}, {12345678.0f, "1.234568E+07"},  // seven significant digits
        {6494.9995f, "6495"},
    };
    for (const auto& [value, text] : table)
        EXPECT_EQ(FormatStoredSingle(value), text) << value;
}

TEST(StoredNumber, WritesAPointWhateverTheLocale)
{
    const char* old = std::setlocale(LC_ALL, nullptr);
    const std::string saved = old ? old : "C";
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8") && !std::setlocale(LC_ALL, "fr_FR.UTF-8"))
        GTEST_SKIP() << "no locale with a decimal comma installed";
    EXPECT_EQ(FormatStoredSingle(1234.5f), "1234.5");
    EXPECT_EQ(ParseStoredSingle("1234.5"), 1234.5f);
    std::setlocale(LC_ALL, saved.c_str());
}

TEST(StoredNumber, ParsesWhatItWritesAndRejectsTheRest)
{
    const std::pair<const char*, std::optional<float>> table[] = {
        {"6500", 6500.0f},    {"1234.5", 1234.5f},      {"  1000  ", 1000.0f}, {"\t42\t", 42.0f},
        {"-120", -120.0f},    {"+7", 7.0f},             {"1.234568E+07", 12345680.0f},
        {"", std::nullopt},   {"   ", std::nullopt},    {"abc", std::nullopt}, {"12abc", std::nullopt},
        {"1 2", std::nullopt}, {"inf", std::nullopt},   {"nan", std::nullopt}, {"-INF", std::nullopt},
        {"1e999", std::nullopt}, {"1,5", std::nullopt}, {"0x10", std::nullopt},
    };
    for (const auto& [text, expected] : table)
        EXPECT_EQ(ParseStoredSingle(text), expected) << '"' << text << '"';
}

TEST(StoredNumber, RoundTripsEveryWrittenValue)
{
    for (float v : {0.5f, 6500.0f, 6501.25f, 1e-3f, 99999.9f, -31935.0f, 12345678.0f}) {
        auto back = ParseStoredSingle(FormatStoredSingle(v));
        ASSERT_TRUE(back) << v;
        EXPECT_NEAR(*back, v, std::fabs(v) * 1e-6f) << v;
    }
}

struct BoundsCase {
    const char* name;
    const char* left;
    const char* top;
    const char* width;
    const char* height;
    StoredBounds expected;
};

class BoundsFromTexts : public testing::TestWithParam<BoundsCase> {};

TEST_P(BoundsFromTexts, FallsBackPerValue)
{
    const BoundsCase& c = GetParam();
    const StoredBounds b = BoundsFromStoredTexts(c.left, c.top, c.width, c.height);
    EXPECT_EQ(b.left, c.expected.left);
    EXPECT_EQ(b.top, c.expected.top);
    EXPECT_EQ(b.width, c.expected.width);
    EXPECT_EQ(b.height, c.expected.height);
}

INSTANTIATE_TEST_SUITE_P(
    Stored, BoundsFromTexts,
    testing::Values(
        BoundsCase{"Defaults", "1000", "1000", "6500", "6500", {1000, 1000, 6500, 6500}},
        BoundsCase{"FractionKept", "15", "30", "7000.5", "4000.25", {15, 30, 7000.5f, 4000.25f}},
        BoundsCase{"NegativePositionKept", "-2000", "-15", "6500", "6500", {-2000, -15, 6500, 6500}},
        BoundsCase{"NotANumber", "left", "1x", "wide", "", {1000, 1000, 6500, 6500}},
        BoundsCase{"ZeroSize", "0", "0", "0", "0", {0, 0, 6500, 6500}},
        BoundsCase{"NegativeSize", "10", "20", "-1", "-6500", {10, 20, 6500, 6500}},
        BoundsCase{"NotFinite", "inf", "nan", "1e40", "-inf", {1000, 1000, 6500, 6500}},
        BoundsCase{"TooFarForPixels", "3e9", "-3e9", "2e8", "6500", {1000, 1000, 6500, 6500}},
        BoundsCase{"OnlyTheBadOneFallsBack", "300", "400", "junk", "5000", {300, 400, 6500, 5000}}),
    [](const testing::TestParamInfo<BoundsCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace varno
