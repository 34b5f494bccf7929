#include "core/corner_cutouts.h"

#include "support/core_printers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace varno {

namespace {

// One string a row: '.' transparent, '-' just under half opaque, '+' half
// opaque, '#' opaque; `pad` bytes of nothing after each row.
std::vector<std::uint8_t> alphaOf(const std::vector<std::string>& rows, int pad)
{
    std::vector<std::uint8_t> bytes;
    for (const std::string& row : rows) {
        for (char c : row)
            bytes.push_back(c == '.' ? 0 : c == '-' ? 127 : c == '+' ? 128 : 255);
        bytes.insert(bytes.end(), static_cast<std::size_t>(pad), 0);
    }
    return bytes;
}

TEST(CornerCutouts, CutOnlyTheMostlyTransparentCornerPixels)
{
    const struct {
        const char* what;
        std::vector<std::string> rows;
        int cornerSize;
        std::vector<PixelRect> expected;
    } table[] = {
        {"opaque", {"####", "####", "####"}, 4, {}},
        {"rounded by one pixel",
         {".####.", "######", "######", ".####."}, 2,
         {{0, 0, 1, 1}, {5, 0, 1, 1}, {0, 3, 1, 1}, {5, 3, 1, 1}}},
        {"a staircase stays row by row, a block is one rectangle",
         {"..####..", ".######.", "########", "..####..", "..####.."}, 2,
         {{0, 0, 2, 1}, {6, 0, 2, 1}, {0, 1, 1, 1}, {7, 1, 1, 1}, {0, 3, 2, 2}, {6, 3, 2, 2}}},
        {"half opaque is kept, just under is cut", {"+##-", "####"}, 1, {{3, 0, 1, 1}}},
        {"transparent further in stays: clicks there reach the control",
         {"########", "##....##", "##....##", "########"}, 2, {}},
        {"corners never reach past the middle", {"...", "...", "..."}, 4,
         {{0, 0, 1, 1}, {2, 0, 1, 1}, {0, 2, 1, 1}, {2, 2, 1, 1}}},
        {"too small to have corners", {"."}, 4, {}},
        {"no corner size", {"..", ".."}, 0, {}},
    };
    for (const auto& row : table) {
        for (int pad : {0, 3}) {
            SCOPED_TRACE(testing::Message() << row.what << ", padding " << pad);
            const std::vector<std::uint8_t> bytes = alphaOf(row.rows, pad);
            const int width = static_cast<int>(row.rows.front().size());
            const AlphaImage image{bytes, width, static_cast<int>(row.rows.size()), width + pad};
            EXPECT_EQ(cornerCutouts(image, row.cornerSize), row.expected);
        }
    }
}

TEST(CornerCutouts, ImagesWhoseBytesFallShortYieldNothing)
{
    const std::vector<std::uint8_t> bytes(15, 0);
    const struct {
        const char* what;
        AlphaImage image;
    } table[] = {
        {"last row short", {bytes, 4, 4, 4}},
        {"stride narrower than a row", {bytes, 4, 2, 3}},
        {"negative sizes", {bytes, -4, 2, 4}},
        {"no bytes", {{}, 2, 2, 2}},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.what);
        EXPECT_TRUE(cornerCutouts(row.image, 2).empty());
    }
}

}  // namespace

}  // namespace varno
