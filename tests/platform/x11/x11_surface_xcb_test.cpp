// The main window on a real X server (run under its own Xvfb): the server
// fills the surface, the colour reaches the screen tick by tick, and the
// controls on the surface survive every clear. The same checks hold for Qt's
// own painting, forced by the switch.
#include "platform/qt/qt_colours.h"
#include "support/main_window_parts.h"

#include <QGuiApplication>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QTest>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace varno {
namespace {

using testing_support::MainWindowUnderTest;

xcb_connection_t* connection()
{
    return qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
}

// Read on the program's own connection, so the server has carried out every
// fill sent before.
std::vector<std::uint32_t> screenPixels(const QRect& global)
{
    xcb_connection_t* c = connection();
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const auto cookie = xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, root, std::int16_t(global.x()),
                                      std::int16_t(global.y()), std::uint16_t(global.width()),
                                      std::uint16_t(global.height()), ~0u);
    xcb_get_image_reply_t* reply = xcb_get_image_reply(c, cookie, nullptr);
    std::vector<std::uint32_t> pixels;
    if (!reply)
        return pixels;
    pixels.resize(std::size_t(global.width()) * std::size_t(global.height()));
    const auto bytes = std::min<std::size_t>(pixels.size() * 4, std::size_t(xcb_get_image_data_length(reply)));
    std::memcpy(pixels.data(), xcb_get_image_data(reply), bytes);
    std::free(reply);
    for (auto& p : pixels)
        p &= 0x00FFFFFFu;  // the 24-bit screen of the test's Xvfb
    return pixels;
}

std::uint32_t screenPixel(QWidget* widget, QPoint local)
{
    return screenPixels(QRect(widget->mapToGlobal(local), QSize(1, 1))).at(0);
}

enum class Path { Server, Raster };

class SurfaceOnX11 : public testing::TestWithParam<Path> {
protected:
    void SetUp() override
    {
        ASSERT_EQ(QGuiApplication::platformName(), QLatin1String("xcb")) << "needs an X server";
        if (GetParam() == Path::Raster)
            qputenv("VARNO_SURFACE", "raster");
        w = std::make_unique<MainWindowUnderTest>();
        w->window.setGeometry(0, 0, 700, 500);
        w->window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w->window));
        surface = w->surface();
        // Only the test's own ticks: the timer must not flip the colour between them.
        w->periodBar()->setValue(0);
    }

    void TearDown() override
    {
        w.reset();
        qunsetenv("VARNO_SURFACE");
    }

    // Ticks and waits until the screen shows what the surface now holds: the
    // server path shows it at once, Qt's painting after its next paint.
    void tickAndShow()
    {
        w->tick();
        const std::uint32_t want = platform::toQColor(surface->colour(), surface->palette()).rgb() & 0xFFFFFFu;
        EXPECT_TRUE(QTest::qWaitFor([&] { return screenPixel(surface, middle()) == want; }))
            << std::hex << "screen 0x" << screenPixel(surface, middle()) << ", surface 0x" << want;
    }

    QPoint middle() const { return QPoint(surface->width() / 2, surface->height() / 2); }

    // Each control as it shows on the screen, less the rounded corners, where
    // Qt's painting lets the surface's colour through.
    std::vector<std::vector<std::uint32_t>> controls()
    {
        std::vector<std::vector<std::uint32_t>> images;
        for (QWidget* control : {static_cast<QWidget*>(w->periodBar()), static_cast<QWidget*>(w->button(1)),
                                 static_cast<QWidget*>(w->button(2))})
            images.push_back(
                screenPixels(QRect(control->mapToGlobal(QPoint()), control->size()).adjusted(3, 3, -3, -3)));
        return images;
    }

    std::unique_ptr<MainWindowUnderTest> w;
    ui::BlinkSurface* surface = nullptr;
};

TEST_P(SurfaceOnX11, TheWholeClientAreaAlternatesAndTheControlsStay)
{
    const bool server = GetParam() == Path::Server;
    ASSERT_EQ(surface->testAttribute(Qt::WA_PaintOnScreen), server) << "the server fills it";
    // Wait until Qt has drawn the controls: each shows more than one colour.
    ASSERT_TRUE(QTest::qWaitFor([&] {
        for (const auto& image : controls()) {
            if (std::all_of(image.begin(), image.end(), [&](std::uint32_t p) { return p == image.front(); }))
                return false;
        }
        return true;
    }));
    QCoreApplication::processEvents();
    const auto shownControls = controls();

    w->window.resize(900, 650);
    ASSERT_TRUE(QTest::qWaitFor([&] { return surface->width() > 890; }));
    w->startStop()->trigger();
    QWidget* client = w->window.centralWidget();
    const QPoint far(client->width() - 1, client->height() - 1);
    for (std::uint32_t colour : {0xFFFFFFu, 0x000000u, 0xFFFFFFu, 0x000000u}) {
        tickAndShow();
        EXPECT_EQ(screenPixel(surface, middle()), colour);
        EXPECT_EQ(screenPixel(client, far), colour) << "the far corner blinks too";
        EXPECT_EQ(controls(), shownControls) << "a clear leaves the controls alone";
        // With the surface, not a frame before or after it.
        for (int i : {1, 2}) {
            QWidget* button = w->button(i);
            for (const QPoint& corner : {QPoint(0, 0), QPoint(button->width() - 1, button->height() - 1)})
                EXPECT_EQ(screenPixel(button, corner), colour) << "button " << i << "'s rounded corner";
        }
    }
    w->chooser.answer = 0x00336699u;  // 0x00BBGGRR
    QTest::mouseClick(w->button(1), Qt::LeftButton);
    tickAndShow();
    EXPECT_EQ(screenPixel(surface, middle()), 0x996633u);
}

INSTANTIATE_TEST_SUITE_P(Paths, SurfaceOnX11, testing::Values(Path::Server, Path::Raster),
                         [](const testing::TestParamInfo<Path>& info) {
                             return std::string(info.param == Path::Server ? "ServerFilled" : "QtPainted");
                         });

}  // namespace
}  // namespace varno
