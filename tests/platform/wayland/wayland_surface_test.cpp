// The main window on a headless weston of its own (tests/support/with_weston.sh,
// with libwayland's request log on: WAYLAND_DEBUG=client). The compositor
// fills the surface from two 1 × 1 buffers that the ticks attach in turn, the
// screen shows each colour over the whole client area, and the controls stay
// as they were. The screen checks hold for Qt's own painting, forced by the
// switch, as well.
#include "platform/qt/qt_colours.h"
#include "support/main_window_parts.h"
#include "support/wire_log.h"

#include <QDir>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <regex>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace varno {
namespace {

using testing_support::MainWindowUnderTest;

// The requests in `log` since `mark`, which moves past them.
std::vector<std::string> requestsSince(testing_support::WireLog& log, std::size_t& mark)
{
    const auto& lines = log.lines();
    std::vector<std::string> requests;
    for (; mark < lines.size(); ++mark)
        if (lines[mark].find(" -> ") != std::string::npos)
            requests.push_back(lines[mark]);
    return requests;
}

// Every match of `pattern`'s first group (and second, if any), in order.
std::vector<std::pair<std::string, std::string>> matches(const std::vector<std::string>& lines, const char* pattern)
{
    const std::regex re(pattern);
    std::vector<std::pair<std::string, std::string>> found;
    std::smatch m;
    for (const std::string& line : lines) {
        if (std::regex_search(line, m, re))
            found.emplace_back(m[1], m.size() > 2 ? std::string(m[2]) : std::string());
    }
    return found;
}

// The whole screen, as weston's screenshooter saves it.
QImage screenshot()
{
    QTemporaryDir dir;
    QProcess shooter;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("WAYLAND_DEBUG"));
    shooter.setProcessEnvironment(env);
    shooter.setWorkingDirectory(dir.path());
    shooter.start(QStringLiteral("weston-screenshooter"), {});
    if (!shooter.waitForFinished(10000))
        return {};
    const QStringList saved = QDir(dir.path()).entryList({QStringLiteral("*.png")});
    return saved.isEmpty() ? QImage() : QImage(dir.filePath(saved.first())).convertToFormat(QImage::Format_RGB32);
}

enum class Path { Compositor, Raster };

class SurfaceOnWayland : public testing::TestWithParam<Path> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) << "needs weston";
        if (GetParam() == Path::Raster)
            qputenv("VARNO_SURFACE", "raster");
        log = std::make_unique<testing_support::WireLog>();
        w = std::make_unique<MainWindowUnderTest>();
        w->window.showMaximized();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w->window));
        ASSERT_TRUE(QTest::qWaitFor([&] { return w->window.isMaximized(); }));
        surface = w->surface();
        // Only the test's own ticks: the timer must not flip the colour between them.
        w->periodBar()->setValue(0);
        // A click on the surface starts it, as ever.
        QTest::mouseClick(surface, Qt::LeftButton, {}, surface->rect().center());
        ASSERT_EQ(w->startStop()->text(), QString::fromUtf8("終了"));
        // Wait until the window shows and has settled: it may become active
        // a moment later (or never, with no seat to focus), which restyles
        // the controls.
        [[maybe_unused]] const bool active = QTest::qWaitForWindowActive(&w->window, 2000);
        ASSERT_TRUE(QTest::qWaitFor([&] {
            const QImage screen = screenshot();
            const auto before = std::exchange(shownControls, controlsOn(screen));
            return screen.pixel(onScreen(surface).center()) == shownFill() && before == shownControls;
        }, 20000));
    }

    void TearDown() override
    {
        w.reset();
        log.reset();
        qunsetenv("VARNO_SURFACE");
    }

    // Where a widget shows on the screen: the maximised window lies at the
    // origin, its content inside the frame Qt draws.
    QRect onScreen(QWidget* widget) const
    {
        const QMargins frame = w->window.windowHandle()->frameMargins();
        return widget->rect().translated(widget->mapTo(&w->window, QPoint()) + QPoint(frame.left(), frame.top()));
    }

    QRgb shownFill() const { return platform::toQColor(surface->colour(), surface->palette()).rgb() | 0xFF000000u; }

    // Ticks, then waits for a screen whose surface shows what it now holds.
    QImage tickAndShow()
    {
        w->tick();
        const QPoint middle = onScreen(surface).center();
        QImage screen;
        EXPECT_TRUE(QTest::qWaitFor([&] {
            screen = screenshot();
            return screen.pixel(middle) == shownFill();
        }, 10000)) << std::hex << "screen 0x" << screen.pixel(middle) << ", surface 0x" << shownFill();
        return screen;
    }

    // Each control as it shows, less the rounded corners.
    std::vector<QImage> controlsOn(const QImage& screen)
    {
        std::vector<QImage> images;
        for (QWidget* control : {static_cast<QWidget*>(w->periodBar()), static_cast<QWidget*>(w->button(1)),
                                 static_cast<QWidget*>(w->button(2))})
            images.push_back(screen.copy(onScreen(control).adjusted(3, 3, -3, -3)));
        return images;
    }

    std::unique_ptr<testing_support::WireLog> log;
    std::size_t logged = 0;  // the log's lines taken so far
    std::unique_ptr<MainWindowUnderTest> w;
    ui::BlinkSurface* surface = nullptr;
    std::vector<QImage> shownControls;  // as they first settled
};

TEST_P(SurfaceOnWayland, TheWholeClientAreaAlternatesAndTheControlsStay)
{
    QWidget* client = w->window.centralWidget();
    const QPoint far = onScreen(client).bottomRight();
    for (QRgb colour : {0xFFFFFFFFu, 0xFF000000u, 0xFFFFFFFFu, 0xFF000000u}) {
        const QImage screen = tickAndShow();
        EXPECT_EQ(screen.pixel(onScreen(surface).center()), colour);
        EXPECT_EQ(screen.pixel(far), colour) << "the far corner blinks too";
        EXPECT_EQ(controlsOn(screen), shownControls) << "a flip leaves the controls alone";
    }
    w->chooser.answer = 0x00336699u;  // 0x00BBGGRR
    QTest::mouseClick(w->button(1), Qt::LeftButton);
    EXPECT_EQ(tickAndShow().pixel(onScreen(surface).center()), 0xFF996633u);

    // A control that moves takes its place in the fill with it.
    QWidget* button = w->button(2);
    const QRect before = onScreen(button);
    button->move(button->x() + 200, button->y() + 100);
    QImage screen;
    EXPECT_TRUE(QTest::qWaitFor([&] {
        screen = screenshot();
        return screen.pixel(before.center()) == shownFill() &&
               screen.copy(onScreen(button).adjusted(3, 3, -3, -3)) == shownControls[2];
    }, 10000)) << "where the button was shows the fill, where it is shows the button";

    // Shown again, the window has a surface of its own anew; the fill follows.
    w->window.hide();
    w->window.showMaximized();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w->window));
    for (int i = 0; i < 2; ++i)
        tickAndShow();
}

TEST_P(SurfaceOnWayland, TicksAttachTwoOnePixelBuffersInTurnAndNothingElse)
{
    const auto setUp = requestsSince(*log, logged);
    const auto onePixel = matches(setUp, R"(create_buffer\(new id wl_buffer@(\d+), \d+, 1, 1, 4, 1\))");
    const auto tiles = matches(setUp, R"(get_subsurface\(new id \S+, wl_surface@(\d+), wl_surface@(\d+))");
    if (GetParam() == Path::Raster) {
        EXPECT_TRUE(onePixel.empty());
        EXPECT_TRUE(tiles.empty()) << "Qt paints the window alone";
        return;
    }
    ASSERT_EQ(onePixel.size(), 2u);
    ASSERT_FALSE(tiles.empty());
    const std::string window = tiles.front().second;  // what the first tile hangs from
    std::set<std::string> tileSurfaces;
    for (const auto& [tile, parent] : tiles) {
        tileSurfaces.insert(tile);
        EXPECT_TRUE(parent == window || parent == tiles.front().first) << "a tile of the window's own";
    }
    EXPECT_EQ(matches(setUp, R"(get_viewport\(new id wp_viewport@\d+, wl_surface@(\d+)\))").size(), tiles.size())
        << "each tile scales its pixel";
    // What each surface was given as its input region, read in order, as
    // region ids come back into use.
    std::map<std::string, bool> regionEmpty;
    std::map<std::string, bool> inputNone;  // surface → its input region was empty
    const std::regex created(R"(create_region\(new id wl_region@(\d+)\))"), added(R"(wl_region@(\d+)\.add\()"),
        input(R"(wl_surface@(\d+)\.set_input_region\(wl_region@(\d+))");
    std::smatch m;
    for (const std::string& line : setUp) {
        if (std::regex_search(line, m, created))
            regionEmpty[m[1]] = true;
        else if (std::regex_search(line, m, added))
            regionEmpty[m[1]] = false;
        else if (std::regex_search(line, m, input))
            inputNone[m[1]] = regionEmpty[m[2]];
    }
    for (const std::string& tile : tileSurfaces)
        EXPECT_TRUE(inputNone[tile])
            << "wl_surface@" << tile << " takes no input: clicks reach the window beneath";

    constexpr int kTicks = 6;
    for (int i = 0; i < kTicks; ++i)
        w->tick();
    const auto ticks = requestsSince(*log, logged);
    std::map<std::string, std::vector<std::string>> attached;  // surface → buffers, in order
    for (const auto& [surface, buffer] : matches(ticks, R"(wl_surface@(\d+)\.attach\(wl_buffer@(\d+))"))
        attached[surface].push_back(buffer);
    EXPECT_EQ(attached.count(window), 0u) << "the window's own buffer is never touched by a flip";
    for (const std::string& tile : tileSurfaces) {
        SCOPED_TRACE("tile wl_surface@" + tile);
        const auto& buffers = attached[tile];
        ASSERT_EQ(buffers.size(), std::size_t(kTicks));
        EXPECT_TRUE(buffers[0] == onePixel[0].first || buffers[0] == onePixel[1].first);
        for (int i = 1; i < kTicks; ++i)
            EXPECT_EQ(buffers[i], buffers[i % 2]) << "tick " << i;
        EXPECT_NE(buffers[0], buffers[1]) << "the other buffer each tick";
    }
    EXPECT_EQ(matches(ticks, R"(wl_surface@(\d+)\.commit\(\))").size(), kTicks * tileSurfaces.size())
        << "one commit per tile per tick";
    EXPECT_TRUE(matches(ticks, R"((create_buffer|create_pool|new id))").empty()) << "a flip creates nothing";
}

INSTANTIATE_TEST_SUITE_P(Paths, SurfaceOnWayland, testing::Values(Path::Compositor, Path::Raster),
                         [](const testing::TestParamInfo<Path>& info) {
                             return std::string(info.param == Path::Compositor ? "CompositorFilled" : "QtPainted");
                         });

}  // namespace
}  // namespace varno
