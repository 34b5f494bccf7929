#include "x11_surface.h"

#include "x11_present_pacing.h"

#include <QGuiApplication>
#include <bit>
#include <cstdlib>

#include <xcb/xcb.h>

namespace varno::platform {

namespace {

// Scales an 8-bit component into a mask of any width and place.
std::uint32_t component(std::uint32_t value8, std::uint32_t mask) noexcept
{
    if (mask == 0)
        return 0;
    const int shift = std::countr_zero(mask);
    const int bits = std::popcount(mask);
    const std::uint32_t max = bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1;
    const std::uint32_t scaled = bits == 8 ? value8 : (value8 * max + 127) / 255;
    return (scaled << shift) & mask;
}

}  // namespace

std::uint32_t pixelFor(QRgb rgb, const PixelLayout& layout) noexcept
{
    const std::uint32_t depthBits = layout.depth >= 32 ? 0xFFFFFFFFu : (1u << layout.depth) - 1;
    const std::uint32_t rest = depthBits & ~(layout.redMask | layout.greenMask | layout.blueMask);
    return component(qRed(rgb), layout.redMask) | component(qGreen(rgb), layout.greenMask) |
           component(qBlue(rgb), layout.blueMask) | rest;
}

bool X11Surface::wanted()
{
    return QGuiApplication::platformName() == QLatin1String("xcb") &&
           qGuiApp->nativeInterface<QNativeInterface::QX11Application>() != nullptr;
}

X11Surface::X11Surface(void* connection, std::uint32_t window, const PixelLayout& layout)
    : connection_(connection), window_(window), layout_(layout)
{
}

X11Surface::~X11Surface() = default;

RefreshPacing* X11Surface::pacing() noexcept
{
    return pacing_.get();
}

std::unique_ptr<X11Surface> X11Surface::attach(WId window, WId topLevel)
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    if (!c || window == 0)
        return nullptr;
    const auto id = static_cast<xcb_window_t>(window);
    xcb_get_window_attributes_reply_t* attributes =
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, id), nullptr);
    if (!attributes)
        return nullptr;
    const xcb_visualid_t visual = attributes->visual;
    std::free(attributes);

    for (auto screen = xcb_setup_roots_iterator(xcb_get_setup(c)); screen.rem; xcb_screen_next(&screen)) {
        for (auto depth = xcb_screen_allowed_depths_iterator(screen.data); depth.rem; xcb_depth_next(&depth)) {
            for (auto v = xcb_depth_visuals_iterator(depth.data); v.rem; xcb_visualtype_next(&v)) {
                if (v.data->visual_id != visual)
                    continue;
                // Other classes would need a colour map entry per colour.
                if (v.data->_class != XCB_VISUAL_CLASS_TRUE_COLOR)
                    return nullptr;
                const PixelLayout layout{v.data->red_mask, v.data->green_mask, v.data->blue_mask,
                                         depth.data->depth};
                std::unique_ptr<X11Surface> surface(new X11Surface(c, id, layout));
                // The other connection must find the window on the server.
                std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
                surface->pacing_ = X11PresentPacing::create(id, static_cast<xcb_window_t>(topLevel), layout.depth);
                return surface;
            }
        }
    }
    return nullptr;
}

void X11Surface::fill(QRgb rgb) noexcept
{
    auto* c = static_cast<xcb_connection_t*>(connection_);
    const std::uint32_t pixel = pixelFor(rgb, layout_);
    if (pacing_ && pacing_->takesChange()) {
        pacing_->show(pixel);  // on the refresh the pacing chose
        return;
    }
    xcb_change_window_attributes(c, window_, XCB_CW_BACK_PIXEL, &pixel);
    // Width and height 0 reach to the window's edges; the controls are child
    // windows, which a clear never touches.
    xcb_clear_area(c, 0, window_, 0, 0, 0, 0);
    xcb_flush(c);
}

}  // namespace varno::platform
