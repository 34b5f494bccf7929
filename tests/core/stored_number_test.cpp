#include "core/stored_number.h"

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
        EXPECT_EQ(formatStoredNumber(value), text) << value;
        const auto back = parseStoredNumber(text);
        ASSERT_TRUE(back) << text;
        EXPECT_NEAR(*back, value, 1e-6f * std::max(1.0f, std::abs(value) * 10)) << text;
    }
}

TEST(StoredNumber, RejectsWhatIsNotAWholeFiniteNumber)
{
    const std::pair<const char*, std::optional<float>> table[] = {
        {"  1000  ", 1000.0f}, {"\t42\t", 42.0f},     {"+7", 7.0f},          {"", std::nullopt},
        {"   ", std::nullopt}, {"abc", std::nullopt}, {"12abc", std::nullopt}, {"1 2", std::nullopt},
        {"inf", std::nullopt}, {"nan", std::nullopt}, {"1e999", std::nullopt}, {"1,5", std::nullopt},
        {"0x10", std::nullopt},
    };
    for (const auto& [text, expected] : table)
        EXPECT_EQ(parseStoredNumber(text), expected) << '"' << text << '"';
}

// Integers in the runtime's radix forms: the smallest of 16 and 32 bits
// that holds the digits, two's complement; beyond 32 bits, nothing.
TEST(StoredNumber, ReadsHexadecimalAndOctalAsTheClassicRuntimeDoes)
{
    const std::pair<const char*, std::optional<float>> table[] = {
        {"&H2328", 9000.0f},      {"&h2328", 9000.0f},      {" &HfF ", 255.0f},        {"&O21450", 9000.0f},
        {"&o17", 15.0f},          {"&H7FFF", 32767.0f},     {"&H8000", -32768.0f},     {"&HFFFF", -1.0f},
        {"&H0FFFF", -1.0f},       {"&H10000", 65536.0f},    {"&HFFFFFFFF", -1.0f},     {"&O177777", -1.0f},
        {"&H000000002328", 9000.0f}, {"&H100000000", std::nullopt}, {"&O40000000000", std::nullopt},
        {"&H", std::nullopt},     {"&O", std::nullopt},     {"&HG", std::nullopt},     {"&O8", std::nullopt},
        {"&H 10", std::nullopt},  {"-&H10", std::nullopt},  {"&X10", std::nullopt},    {"&", std::nullopt},
        {"&H10&", std::nullopt},  {"&H1.5", std::nullopt},
    };
    for (const auto& [text, expected] : table)
        EXPECT_EQ(parseStoredNumber(text), expected) << '"' << text << '"';
}

}  // namespace
}  // namespace varno
