// The main window on a real X server (run under its own Xvfb): the server
// fills the surface, the colour reaches the screen tick by tick, and the
// controls on the surface survive every clear. The same checks hold for Qt's
// own painting, forced by the switch.
#include "main_window/frmMain.h"

#include "main_window/Picture1.h"
#include "platform/qt_colours.h"
#include "support/fake_services.h"

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

// tests/support/count_allocations.c
extern "C" void varno_count_allocations(int on);
extern "C" long varno_counted_allocations();

namespace varno {
namespace {

using testing_support::FakeColourChooser;
using testing_support::FakeSettingsStore;

xcb_connection_t* Connection()
{
    return qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
}

// Read on the program's own connection, so the server has carried out every
// fill sent before.
std::vector<std::uint32_t> ScreenPixels(const QRect& global)
{
    xcb_connection_t* c = Connection();
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

std::uint32_t ScreenPixel(QWidget* widget, QPoint local)
{
    return ScreenPixels(QRect(widget->mapToGlobal(local), QSize(1, 1))).at(0);
}

enum class Path { Server, Raster };

class SurfaceOnX11 : public testing::TestWithParam<Path> {
protected:
    void SetUp() override
    {
        ASSERT_EQ(QGuiApplication::platformName(), QLatin1String("xcb")) << "needs an X server";
        if (GetParam() == Path::Raster)
            qputenv("VARNO_SURFACE", "raster");
        platform::Services services;
        services.settings = &settings;
        services.commonDialog1 = &chooser1;
        services.commonDialog2 = &chooser2;
        form = std::make_unique<frmMain>(services);
        form->Form_Load();
        form->setGeometry(0, 0, 700, 500);
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        surface = form->picture();
        // Only the test's own ticks: the timer must not flip the colour between them.
        form->hScroll1()->setValue(0);
    }

    void TearDown() override
    {
        form.reset();
        qunsetenv("VARNO_SURFACE");
    }

    // Ticks and waits until the screen shows what the surface now holds: the
    // server path shows it at once, Qt's painting after its next paint.
    void TickAndShow()
    {
        form->Timer1_Timer();
        WaitForSurfaceColour();
    }

    void WaitForSurfaceColour()
    {
        const std::uint32_t want = platform::ToQColor(surface->BackColor(), surface->palette()).rgb() & 0xFFFFFFu;
        EXPECT_TRUE(QTest::qWaitFor([&] { return ScreenPixel(surface, Middle()) == want; }))
            << std::hex << "screen 0x" << ScreenPixel(surface, Middle()) << ", surface 0x" << want;
    }

    QPoint Middle() const { return QPoint(surface->width() / 2, surface->height() / 2); }

    // Each control as it shows on the screen, less the rounded corners, where
    // Qt's painting lets the surface's colour through.
    std::vector<std::vector<std::uint32_t>> Controls()
    {
        std::vector<std::vector<std::uint32_t>> images;
        for (QWidget* w : {static_cast<QWidget*>(form->hScroll1()), static_cast<QWidget*>(form->command1()),
                           static_cast<QWidget*>(form->command2())})
            images.push_back(ScreenPixels(QRect(w->mapToGlobal(QPoint()), w->size()).adjusted(3, 3, -3, -3)));
        return images;
    }

    FakeSettingsStore settings;
    FakeColourChooser chooser1;
    FakeColourChooser chooser2;
    std::unique_ptr<frmMain> form;
    Picture1* surface = nullptr;
};

TEST_P(SurfaceOnX11, TheWholeClientAreaAlternatesAndTheControlsStay)
{
    const bool server = GetParam() == Path::Server;
    ASSERT_EQ(surface->UsesServerSurface(), server);
    // Wait until Qt has drawn the controls: each shows more than one colour.
    ASSERT_TRUE(QTest::qWaitFor([&] {
        for (const auto& image : Controls()) {
            if (std::all_of(image.begin(), image.end(), [&](std::uint32_t p) { return p == image.front(); }))
                return false;
        }
        return true;
    }));
    QCoreApplication::processEvents();
    const auto controls = Controls();

    form->resize(900, 650);
    ASSERT_TRUE(QTest::qWaitFor([&] { return surface->width() > 890; }));
    form->Picture1_Click();
    QWidget* client = form->centralWidget();
    const QPoint far(client->width() - 1, client->height() - 1);
    for (std::uint32_t colour : {0xFFFFFFu, 0x000000u, 0xFFFFFFu, 0x000000u}) {
        TickAndShow();
        EXPECT_EQ(ScreenPixel(surface, Middle()), colour);
        EXPECT_EQ(ScreenPixel(client, far), colour) << "the far corner blinks too";
        EXPECT_EQ(Controls(), controls) << "a clear leaves the controls alone";
    }
    form->Color1 = 0x00336699u;  // 0x00BBGGRR
    TickAndShow();
    EXPECT_EQ(ScreenPixel(surface, Middle()), 0x996633u);
}

INSTANTIATE_TEST_SUITE_P(Paths, SurfaceOnX11, testing::Values(Path::Server, Path::Raster),
                         [](const testing::TestParamInfo<Path>& info) {
                             return std::string(info.param == Path::Server ? "ServerFilled" : "QtPainted");
                         });

class ServerSurfaceTick : public SurfaceOnX11 {};

TEST_P(ServerSurfaceTick, AllocatesNothing)
{
    ASSERT_TRUE(surface->UsesServerSurface());
    form->Picture1_Click();
    form->Timer1_Timer();  // anything done once, the first time, is done now
    varno_count_allocations(1);
    for (int i = 0; i < 100; ++i)
        form->Timer1_Timer();
    varno_count_allocations(0);
    EXPECT_EQ(varno_counted_allocations(), 0);
}

INSTANTIATE_TEST_SUITE_P(Server, ServerSurfaceTick, testing::Values(Path::Server));

}  // namespace
}  // namespace varno
