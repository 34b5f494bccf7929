#include "x11_window_shape.h"

#include <QGuiApplication>
#include <QRegion>

#include <xcb/shape.h>
#include <xcb/xcb.h>

namespace varno::platform {

bool cutOutOfWindow(WId window, const std::vector<PixelRect>& cutouts)
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    if (!c || window == 0)
        return false;
    const xcb_query_extension_reply_t* shape = xcb_get_extension_data(c, &xcb_shape_id);
    if (!shape || !shape->present)
        return false;
    const auto id = static_cast<xcb_window_t>(window);
    if (cutouts.empty()) {
        xcb_shape_mask(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING, id, 0, 0, XCB_NONE);
        xcb_flush(c);
        return true;
    }
    // Kept as far as a window can reach, so that a resize before the next
    // cut never clips the control itself. One request: no moment unshaped.
    QRegion kept(0, 0, 0x7FFF, 0x7FFF);
    for (const PixelRect& r : cutouts)
        kept -= QRect(r.x, r.y, r.width, r.height);
    std::vector<xcb_rectangle_t> rects;
    rects.reserve(static_cast<std::size_t>(kept.rectCount()));
    for (const QRect& r : kept)
        rects.push_back({static_cast<std::int16_t>(r.x()), static_cast<std::int16_t>(r.y()),
                         static_cast<std::uint16_t>(r.width()), static_cast<std::uint16_t>(r.height())});
    xcb_shape_rectangles(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING, XCB_CLIP_ORDERING_UNSORTED, id, 0, 0,
                         static_cast<std::uint32_t>(rects.size()), rects.data());
    xcb_flush(c);
    return true;
}

}  // namespace varno::platform
