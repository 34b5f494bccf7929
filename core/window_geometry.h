#pragma once

#include "core/ports/settings_store.h"

#include <vector>

namespace varno {

inline constexpr const char* kSettingsSection = "Settings";
inline constexpr const char* kLeftKey = "MainLeft";
inline constexpr const char* kTopKey = "MainTop";
inline constexpr const char* kWidthKey = "MainWidth";
inline constexpr const char* kHeightKey = "MainHeight";

// Bounds are kept this far (about 1.7 km at 96 DPI) from the origin at the
// most; beyond, a pixel count would no longer fit in an int.
inline constexpr float kMaxStoredTwips = 1.0e8f;

struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    bool intersects(const PixelRect& other) const noexcept;
    bool operator==(const PixelRect&) const = default;
};

struct Dpi {
    double x = 96;
    double y = 96;
};

// The main window's restored bounds in twips, as stored.
struct StoredBounds {
    float left = 1000;
    float top = 1000;
    float width = 6500;
    float height = 6500;

    bool operator==(const StoredBounds&) const = default;
};

// Each text that cannot be used falls back to its own default; widths and
// heights must be positive.
StoredBounds boundsFromStoredTexts(const std::string& left, const std::string& top,
                                   const std::string& width, const std::string& height);

// At least one pixel wide and high.
PixelRect toPixels(const StoredBounds& bounds, Dpi dpi);

// Bounds on none of `screens` (their available areas, the primary first)
// are centred on the primary one: a monitor may have been unplugged since.
PixelRect keepOnScreen(const PixelRect& bounds, const std::vector<PixelRect>& screens);

// What to store for the window's restored bounds `now`, given what was
// `loaded`. A side that has not moved keeps its loaded text, so untouched
// bounds never drift through whole pixels; bounds that could not be read
// back (empty, or too far out) keep the loaded ones whole. Where the
// platform never tells a window its position (Wayland), `positionKnown` is
// false and the loaded position is kept as it was read.
StoredBounds boundsToStore(const PixelRect& now, Dpi dpi, const StoredBounds& loaded, bool positionKnown = true);

StoredBounds readStoredBounds(SettingsStore& store);

// All four values in one step. False when they could not be stored.
bool writeStoredBounds(SettingsStore& store, const StoredBounds& bounds);

}  // namespace varno
