#include "window_geometry.h"

#include "app_info.h"
#include "core/stored_number.h"
#include "core/twips.h"

#include <algorithm>
#include <cmath>

namespace varno {

namespace {

float usable(const std::string& text, float fallback, bool mustBePositive)
{
    const auto value = parseStoredNumber(text);
    if (!value || std::fabs(*value) > kMaxStoredTwips || (mustBePositive && *value <= 0))
        return fallback;
    return *value;
}

bool storable(float position, float size)
{
    return std::isfinite(position) && std::isfinite(size) && std::fabs(position) <= kMaxStoredTwips &&
           size > 0 && size <= kMaxStoredTwips;
}

// The loaded text when the side still lands on the same pixel.
float side(int pixels, double dpi, float loaded)
{
    if (twipsToPixels(loaded, dpi) == pixels)
        return loaded;
    return static_cast<float>(pixelsToTwips(pixels, dpi));
}

// A width or height under half a pixel is restored as one pixel (toPixels);
// still one pixel, it has not moved.
float extent(int pixels, double dpi, float loaded)
{
    if (std::max(1, twipsToPixels(loaded, dpi)) == pixels)
        return loaded;
    return side(pixels, dpi, loaded);
}

}  // namespace

bool PixelRect::intersects(const PixelRect& other) const noexcept
{
    return x < other.x + other.width && other.x < x + width && y < other.y + other.height &&
           other.y < y + height && width > 0 && height > 0 && other.width > 0 && other.height > 0;
}

StoredBounds boundsFromStoredTexts(const std::string& left, const std::string& top,
                                   const std::string& width, const std::string& height)
{
    const StoredBounds defaults;
    return {usable(left, defaults.left, false), usable(top, defaults.top, false),
            usable(width, defaults.width, true), usable(height, defaults.height, true)};
}

PixelRect toPixels(const StoredBounds& bounds, Dpi dpi)
{
    return {twipsToPixels(bounds.left, dpi.x), twipsToPixels(bounds.top, dpi.y),
            std::max(1, twipsToPixels(bounds.width, dpi.x)), std::max(1, twipsToPixels(bounds.height, dpi.y))};
}

PixelRect keepOnScreen(const PixelRect& bounds, const std::vector<PixelRect>& screens)
{
    if (screens.empty() || std::any_of(screens.begin(), screens.end(),
                                       [&](const PixelRect& s) { return s.intersects(bounds); }))
        return bounds;
    const PixelRect& area = screens.front();
    const int width = std::min(bounds.width, area.width);
    const int height = std::min(bounds.height, area.height);
    return {area.x + (area.width - width) / 2, area.y + (area.height - height) / 2, width, height};
}

StoredBounds boundsToStore(const PixelRect& now, Dpi dpi, const StoredBounds& loaded, bool positionKnown)
{
    StoredBounds bounds{side(now.x, dpi.x, loaded.left), side(now.y, dpi.y, loaded.top),
                        extent(now.width, dpi.x, loaded.width), extent(now.height, dpi.y, loaded.height)};
    if (!positionKnown) {
        bounds.left = loaded.left;
        bounds.top = loaded.top;
    }
    if (now.width <= 0 || now.height <= 0 || !storable(bounds.left, bounds.width) ||
        !storable(bounds.top, bounds.height))
        return loaded;
    return bounds;
}

StoredBounds readStoredBounds(SettingsStore& store)
{
    const StoredBounds defaults;
    const auto read = [&](const char* key, float fallback) {
        return store.read(kAppTitle, kSettingsSection, key, formatStoredNumber(fallback));
    };
    return boundsFromStoredTexts(read(kLeftKey, defaults.left), read(kTopKey, defaults.top),
                                 read(kWidthKey, defaults.width), read(kHeightKey, defaults.height));
}

bool writeStoredBounds(SettingsStore& store, const StoredBounds& bounds)
{
    return store.write(kAppTitle, kSettingsSection,
                       {{kLeftKey, formatStoredNumber(bounds.left)},
                        {kTopKey, formatStoredNumber(bounds.top)},
                        {kWidthKey, formatStoredNumber(bounds.width)},
                        {kHeightKey, formatStoredNumber(bounds.height)}});
}

}  // namespace varno
