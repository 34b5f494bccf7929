// The pixel values the server-filled surface writes, and the choice of path
// where there is no X server (these run on the offscreen platform).
#include "platform/x11/x11_surface.h"

#include "ui/qt/blink_surface.h"

#include <QGuiApplication>
#include <QScopeGuard>
#include <gtest/gtest.h>

namespace varno::platform {
namespace {

TEST(X11Surface, PixelValuesPlaceEachComponentInItsMask)
{
    constexpr PixelLayout kRgb24{0xFF0000u, 0x00FF00u, 0x0000FFu, 24};
    constexpr PixelLayout kArgb32{0xFF0000u, 0x00FF00u, 0x0000FFu, 32};
    constexpr PixelLayout kBgr24{0x0000FFu, 0x00FF00u, 0xFF0000u, 24};
    constexpr PixelLayout kRgb565{0xF800u, 0x07E0u, 0x001Fu, 16};
    constexpr PixelLayout kRgb30{0x3FF00000u, 0x000FFC00u, 0x000003FFu, 30};
    const struct {
        PixelLayout layout;
        QRgb rgb;
        std::uint32_t pixel;
    } table[] = {
        {kRgb24, qRgb(0x12, 0x34, 0x56), 0x123456u},
        {kRgb24, qRgba(0x12, 0x34, 0x56, 0), 0x123456u},      // a QRgb's alpha never reaches the pixel
        {kArgb32, qRgb(0, 0, 0), 0xFF000000u},                // the depth's spare bits: opaque
        {kBgr24, qRgb(0x12, 0x34, 0x56), 0x563412u},
        {kRgb565, qRgb(0x80, 0x80, 0x80), 0x8410u},           // scaled, rounded
        {kRgb30, qRgb(0, 0xFF, 0), 0x000FFC00u},
    };
    for (const auto& row : table)
        EXPECT_EQ(pixelFor(row.rgb, row.layout), row.pixel) << std::hex << row.rgb;
}

TEST(X11Surface, QtPaintsWithoutAnXServerOrWhenTheSwitchAsks)
{
    ASSERT_NE(QGuiApplication::platformName(), QLatin1String("xcb"));
    EXPECT_EQ(chooseFillPath(), FillPath::QtPainting);
    ui::BlinkSurface surface;
    surface.resize(200, 100);
    surface.show();
    EXPECT_FALSE(surface.testAttribute(Qt::WA_PaintOnScreen)) << "Qt paints it";
    surface.setColour(0x00336699u);
    EXPECT_EQ(surface.grab().toImage().pixel(100, 50), qRgb(0x99, 0x66, 0x33));

    qputenv("VARNO_SURFACE", "raster");
    auto restore = qScopeGuard([] { qunsetenv("VARNO_SURFACE"); });
    EXPECT_EQ(chooseFillPath(), FillPath::QtPainting);
}

}  // namespace
}  // namespace varno::platform
