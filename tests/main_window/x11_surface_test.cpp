// The pixel values the server-filled surface writes, and the choice of path
// where there is no X server (these run on the offscreen platform).
#include "main_window/x11_surface.h"

#include "main_window/Picture1.h"

#include <QGuiApplication>
#include <QScopeGuard>
#include <gtest/gtest.h>

namespace varno {
namespace {

struct PixelCase {
    const char* name;
    PixelLayout layout;
    QRgb rgb;
    std::uint32_t pixel;
};

class PixelForTest : public testing::TestWithParam<PixelCase> {};

TEST_P(PixelForTest, PlacesEachComponentInItsMask)
{
    const PixelCase& c = GetParam();
    EXPECT_EQ(PixelFor(c.rgb, c.layout), c.pixel) << std::hex << "got 0x" << PixelFor(c.rgb, c.layout);
}

constexpr PixelLayout kRgb24{0xFF0000u, 0x00FF00u, 0x0000FFu, 24};
constexpr PixelLayout kArgb32{0xFF0000u, 0x00FF00u, 0x0000FFu, 32};
constexpr PixelLayout kBgr24{0x0000FFu, 0x00FF00u, 0xFF0000u, 24};
constexpr PixelLayout kRgb565{0xF800u, 0x07E0u, 0x001Fu, 16};
constexpr PixelLayout kRgb30{0x3FF00000u, 0x000FFC00u, 0x000003FFu, 30};

INSTANTIATE_TEST_SUITE_P(
    Visuals, PixelForTest,
    testing::Values(PixelCase{"White24", kRgb24, qRgb(0xFF, 0xFF, 0xFF), 0xFFFFFFu},
                    PixelCase{"Black24", kRgb24, qRgb(0, 0, 0), 0x000000u},
                    PixelCase{"Mixed24", kRgb24, qRgb(0x12, 0x34, 0x56), 0x123456u},
                    PixelCase{"AlphaOf32IsOpaque", kArgb32, qRgb(0x12, 0x34, 0x56), 0xFF123456u},
                    PixelCase{"BlackOf32IsOpaque", kArgb32, qRgb(0, 0, 0), 0xFF000000u},
                    PixelCase{"SwappedMasks", kBgr24, qRgb(0x12, 0x34, 0x56), 0x563412u},
                    PixelCase{"White565", kRgb565, qRgb(0xFF, 0xFF, 0xFF), 0xFFFFu},
                    PixelCase{"Red565", kRgb565, qRgb(0xFF, 0, 0), 0xF800u},
                    PixelCase{"Grey565Rounds", kRgb565, qRgb(0x80, 0x80, 0x80), 0x8410u},
                    PixelCase{"White30", kRgb30, qRgb(0xFF, 0xFF, 0xFF), 0x3FFFFFFFu},
                    PixelCase{"Green30", kRgb30, qRgb(0, 0xFF, 0), 0x000FFC00u},
                    // The alpha a QRgb carries never reaches the pixel.
                    PixelCase{"IgnoresQRgbAlpha", kRgb24, qRgba(0x12, 0x34, 0x56, 0), 0x123456u}),
    [](const testing::TestParamInfo<PixelCase>& info) { return std::string(info.param.name); });

TEST(SurfacePath, QtPaintsWhereThereIsNoXServer)
{
    ASSERT_NE(QGuiApplication::platformName(), QLatin1String("xcb"));
    EXPECT_FALSE(X11Surface::Wanted());
    Picture1 surface;
    surface.resize(200, 100);
    surface.show();
    EXPECT_FALSE(surface.UsesServerSurface());
    EXPECT_FALSE(surface.testAttribute(Qt::WA_PaintOnScreen));
    // Still Qt's painting: the colour shows in what Qt renders.
    surface.SetBackColor(0x00336699u);
    EXPECT_EQ(surface.grab().toImage().pixel(100, 50), qRgb(0x99, 0x66, 0x33));
}

TEST(SurfacePath, SwitchForcesQtPainting)
{
    qputenv("VARNO_SURFACE", "raster");
    auto restore = qScopeGuard([] { qunsetenv("VARNO_SURFACE"); });
    EXPECT_FALSE(X11Surface::Wanted());
}

}  // namespace
}  // namespace varno
