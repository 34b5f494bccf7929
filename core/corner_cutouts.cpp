#include "corner_cutouts.h"

#include <algorithm>

namespace varno {

namespace {

constexpr std::uint8_t kHalfOpaque = 128;

bool wellFormed(const AlphaImage& image) noexcept
{
    if (image.width <= 0 || image.height <= 0 || image.stride < image.width)
        return false;
    const auto needed = static_cast<std::size_t>(image.stride) * static_cast<std::size_t>(image.height - 1) +
                        static_cast<std::size_t>(image.width);
    return image.alpha.size() >= needed;
}

}  // namespace

std::vector<PixelRect> cornerCutouts(const AlphaImage& image, int cornerSize)
{
    std::vector<PixelRect> cut;
    if (cornerSize <= 0 || !wellFormed(image))
        return cut;
    // Halves at most, so that the corners never overlap.
    const int across = std::min(cornerSize, image.width / 2);
    const int down = std::min(cornerSize, image.height / 2);
    if (across == 0 || down == 0)
        return cut;
    // Rectangles that reached the row above, still open to growing downwards.
    std::vector<std::size_t> open;
    std::vector<std::size_t> nextOpen;
    for (int y = 0; y < image.height; ++y) {
        if (y >= down && y < image.height - down) {
            open.clear();
            y = image.height - down - 1;  // on to the bottom corners
            continue;
        }
        const std::uint8_t* row = image.alpha.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(image.stride);
        nextOpen.clear();
        for (const auto& [from, to] : {std::pair{0, across}, std::pair{image.width - across, image.width}}) {
            int x = from;
            while (x < to) {
                if (row[x] >= kHalfOpaque) {
                    ++x;
                    continue;
                }
                const int start = x;
                while (x < to && row[x] < kHalfOpaque)
                    ++x;
                const PixelRect run{start, y, x - start, 1};
                const auto above = std::find_if(open.begin(), open.end(), [&](std::size_t i) {
                    return cut[i].x == run.x && cut[i].width == run.width;
                });
                if (above != open.end()) {
                    ++cut[*above].height;
                    nextOpen.push_back(*above);
                } else {
                    nextOpen.push_back(cut.size());
                    cut.push_back(run);
                }
            }
        }
        open.swap(nextOpen);
    }
    return cut;
}

}  // namespace varno
