#include "platform/wayland/wayland_surface.h"

// Built without the Wayland client library: Qt always paints the surface.
namespace varno::platform {

struct WaylandGlobals {};
struct WaylandBuffers {};
struct WaylandTile {};

bool WaylandSurface::wanted()
{
    return false;
}

std::unique_ptr<WaylandSurface> WaylandSurface::follow(QWidget*)
{
    return nullptr;
}

WaylandSurface::~WaylandSurface() = default;

void WaylandSurface::fill(QRgb) noexcept {}

bool WaylandSurface::eventFilter(QObject*, QEvent*)
{
    return false;
}

}  // namespace varno::platform
