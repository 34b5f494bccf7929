#pragma once

#include "platform/qt/server_fill.h"

#include <QRgb>
#include <QtGui/qwindowdefs.h>
#include <cstdint>
#include <memory>

namespace varno::platform {

// Where a TrueColor visual keeps red, green and blue in a pixel value.
struct PixelLayout {
    std::uint32_t redMask = 0;
    std::uint32_t greenMask = 0;
    std::uint32_t blueMask = 0;
    int depth = 0;
};

// The pixel value that shows `rgb` on a visual with this layout; bits of the
// depth outside the three masks (alpha on a 32-bit visual) are set, opaque.
std::uint32_t pixelFor(QRgb rgb, const PixelLayout& layout) noexcept;

// A window whose colour the X server itself fills: one small request sets the
// background pixel and clears the window, whatever its size. Child windows
// (the controls) are left as they are.
class X11PresentPacing;

class X11Surface final : public ServerFill {
public:
    // Whether this process draws through X11.
    static bool wanted();

    // Null when the window's visual cannot take a pixel value this way;
    // Qt's painting is then the way. `topLevel`, the window holding it, is
    // asked to bypass a compositing manager.
    static std::unique_ptr<X11Surface> attach(WId window, WId topLevel = 0);
    ~X11Surface() override;

    void fill(QRgb rgb) noexcept override;
    // Changes on the server's refreshes, where it has the Present extension.
    RefreshPacing* pacing() noexcept override;

    const PixelLayout& layout() const noexcept { return layout_; }

private:
    X11Surface(void* connection, std::uint32_t window, const PixelLayout& layout);

    void* connection_;  // xcb_connection_t, kept out of this header
    std::uint32_t window_;
    PixelLayout layout_;
    std::unique_ptr<X11PresentPacing> pacing_;
};

}  // namespace varno::platform
