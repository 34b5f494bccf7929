#include "core/fill_tiles.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

namespace varno {

namespace {

using Wide = std::int64_t;

// Half-open, in device pixels or surface units.
struct Span {
    Wide left = 0, top = 0, right = 0, bottom = 0;

    bool empty() const { return left >= right || top >= bottom; }
    Span operator&(const Span& o) const
    {
        return {std::max(left, o.left), std::max(top, o.top), std::min(right, o.right), std::min(bottom, o.bottom)};
    }
};

Wide floorDiv(Wide a, Wide b)
{
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

Wide ceilDiv(Wide a, Wide b)
{
    return -floorDiv(-a, b);
}

// An edge where Qt's painting puts it: rounded to the nearest device pixel.
Wide toDevice(double units, double ratio)
{
    const double pixels = std::floor(units * ratio + 0.5);
    constexpr double kLimit = 1e15;
    return static_cast<Wide>(std::clamp(pixels, -kLimit, kLimit));
}

Span deviceSpan(const PixelRect& r, double ratio)
{
    return {toDevice(r.x, ratio), toDevice(r.y, ratio), toDevice(Wide(r.x) + r.width, ratio),
            toDevice(Wide(r.y) + r.height, ratio)};
}

// The surface units wholly inside a device span.
Span inward(const Span& d, Wide scale)
{
    return {ceilDiv(d.left, scale), ceilDiv(d.top, scale), floorDiv(d.right, scale), floorDiv(d.bottom, scale)};
}

// The surface units that touch a device span.
Span outward(const Span& d, Wide scale)
{
    return {floorDiv(d.left, scale), floorDiv(d.top, scale), ceilDiv(d.right, scale), ceilDiv(d.bottom, scale)};
}

PixelRect toRect(const Span& s, const PixelRect& content)
{
    if (s.empty())
        return {};
    return {static_cast<int>(content.x + s.left), static_cast<int>(content.y + s.top),
            static_cast<int>(s.right - s.left), static_cast<int>(s.bottom - s.top)};
}

// `area` less the holes, as rows of rectangles; rows whose rectangles
// line up with the row above extend it instead.
std::vector<Span> subtract(const Span& area, const std::vector<Span>& holes)
{
    std::vector<Wide> edges{area.top, area.bottom};
    for (const Span& h : holes) {
        edges.push_back(h.top);
        edges.push_back(h.bottom);
    }
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());

    std::vector<Span> result;
    std::vector<std::size_t> lastRow;  // indices in result of the row above
    for (std::size_t i = 0; i + 1 < edges.size(); ++i) {
        const Wide top = edges[i], bottom = edges[i + 1];
        std::vector<std::pair<Wide, Wide>> covered;
        for (const Span& h : holes) {
            if (h.top <= top && bottom <= h.bottom)
                covered.emplace_back(h.left, h.right);
        }
        std::sort(covered.begin(), covered.end());
        std::vector<std::pair<Wide, Wide>> free;
        Wide x = area.left;
        for (const auto& [left, right] : covered) {
            if (left > x)
                free.emplace_back(x, left);
            x = std::max(x, right);
        }
        if (x < area.right)
            free.emplace_back(x, area.right);

        bool extends = !lastRow.empty() && lastRow.size() == free.size() && result[lastRow.front()].bottom == top;
        for (std::size_t k = 0; extends && k < free.size(); ++k)
            extends = result[lastRow[k]].left == free[k].first && result[lastRow[k]].right == free[k].second;
        if (extends) {
            for (std::size_t k : lastRow)
                result[k].bottom = bottom;
            continue;
        }
        lastRow.clear();
        for (const auto& [left, right] : free) {
            lastRow.push_back(result.size());
            result.push_back({left, top, right, bottom});
        }
    }
    return result;
}

}  // namespace

FillTiles fillTiles(const PixelRect& area, const std::vector<PixelRect>& controls, const PixelRect& content,
                    SurfaceScale scale)
{
    const double ratio =
        std::isfinite(scale.devicePixelRatio) && scale.devicePixelRatio > 0 ? scale.devicePixelRatio : 1.0;
    const Wide buffer = std::max(1, scale.bufferScale);
    const Span contentDevice{0, 0, Wide(std::max(0, content.width)) * buffer, Wide(std::max(0, content.height)) * buffer};
    const Span areaDevice = deviceSpan(area, ratio) & contentDevice;
    FillTiles tiles;
    if (areaDevice.empty())
        return tiles;
    tiles.beneath = toRect(outward(areaDevice, buffer), content);

    const Span inside = inward(areaDevice, buffer);
    if (inside.empty())
        return tiles;
    std::vector<Span> holes;
    for (const PixelRect& control : controls) {
        if (control.width <= 0 || control.height <= 0)
            continue;
        // A device pixel to spare on each side: Qt rounds a widget's
        // position and size apart, so its last pixel may lie one further.
        Span d = deviceSpan(control, ratio);
        d = {d.left - 1, d.top - 1, d.right + 1, d.bottom + 1};
        const Span hole = outward(d, buffer) & inside;
        if (!hole.empty())
            holes.push_back(hole);
    }
    for (const Span& s : subtract(inside, holes))
        tiles.above.push_back(toRect(s, content));
    return tiles;
}

}  // namespace varno
