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

}  // namespace
}  // namespace varno
