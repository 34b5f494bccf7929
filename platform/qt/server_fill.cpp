#include "platform/qt/server_fill.h"

#include "platform/wayland/wayland_surface.h"
#include "platform/x11/x11_surface.h"

#include <QtGlobal>

namespace varno::platform {

FillPath chooseFillPath()
{
    if (qEnvironmentVariable("VARNO_SURFACE") == QLatin1String("raster"))
        return FillPath::QtPainting;
    if (X11Surface::wanted())
        return FillPath::X11Server;
    if (WaylandSurface::wanted())
        return FillPath::WaylandCompositor;
    return FillPath::QtPainting;
}

}  // namespace varno::platform
