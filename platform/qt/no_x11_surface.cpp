#include "platform/x11/x11_present_pacing.h"
#include "platform/x11/x11_surface.h"
#include "platform/x11/x11_window_shape.h"

// Built without libxcb: Qt always paints the surface.
namespace varno::platform {

bool X11Surface::wanted()
{
    return false;
}

std::unique_ptr<X11Surface> X11Surface::attach(WId, WId)
{
    return nullptr;
}

X11Surface::~X11Surface() = default;

void X11Surface::fill(QRgb) noexcept {}

RefreshPacing* X11Surface::pacing() noexcept
{
    return nullptr;
}

bool cutOutOfWindow(WId, const std::vector<PixelRect>&)
{
    return false;
}

}  // namespace varno::platform
