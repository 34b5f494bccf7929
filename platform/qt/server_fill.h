#pragma once

#include <QRgb>

namespace varno::platform {
class RefreshPacing;
}

namespace varno::platform {

// Who puts the blinking colour on the screen.
enum class FillPath {
    QtPainting,         // Qt paints the surface like any widget
    X11Server,          // the X server fills a window of its own
    WaylandCompositor,  // the compositor scales a 1 × 1 buffer over a subsurface
};

// The one place that chooses: the display server's own fill where this
// build can drive it, unless VARNO_SURFACE=raster asks for Qt's painting.
// A path chosen here may still fall back to Qt's painting when the server
// lacks what it needs.
FillPath chooseFillPath();

// A surface the display server fills itself: a flip costs a few small
// requests whatever the surface's size, and the program paints nothing.
class ServerFill {
public:
    virtual ~ServerFill() = default;
    // Shows `rgb`: at once, or while paced, at the refresh the pacing chose.
    virtual void fill(QRgb rgb) noexcept = 0;
    // Its own pacing on the display's refreshes, where it can follow them.
    virtual RefreshPacing* pacing() noexcept { return nullptr; }
};

}  // namespace varno::platform
