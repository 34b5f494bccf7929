#include "support/main_window_parts.h"

#include "core/alternation.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include <memory>

namespace varno {
namespace {

using testing_support::MainWindowUnderTest;

QString ja(const char* text) { return QString::fromUtf8(text); }

class MainWindowTest : public testing::Test {
protected:
    // Shown at a size of its own rather than maximised, as a test needs.
    std::unique_ptr<MainWindowUnderTest> shown()
    {
        auto w = std::make_unique<MainWindowUnderTest>();
        w->window.readSettings();
        w->window.resize(800, 600);
        w->window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&w->window));
        return w;
    }

    // The middle of the surface, well away from the controls in its top row.
    static void clickSurface(MainWindowUnderTest& w)
    {
        QTest::mouseClick(w.surface(), Qt::LeftButton, {}, w.surface()->rect().center());
    }
};

TEST_F(MainWindowTest, StartsAsDesigned)
{
    MainWindowUnderTest w;
    const auto menus = w.window.menuBar()->actions();
    ASSERT_EQ(menus.size(), 2);
    const std::pair<QString, const char*> texts[] = {
        {w.window.windowTitle(), "ゾルテカ"},          {menus[0]->text(), "表示(&V)"},
        {menus[1]->text(), "ﾍﾙﾌﾟ(&H)"},                {w.startStop()->text(), "開始(&O)..."},
        {w.button(1)->text(), "色変更1"},              {w.button(2)->text(), "色変更2"},
        {w.part<QAction>("mnuHelpAbout")->text(), "ﾊﾞｰｼﾞｮﾝ情報(&A)ゾルテカ..."},
    };
    for (const auto& [actual, wanted] : texts)
        EXPECT_EQ(actual.toStdString(), wanted);
    EXPECT_EQ(menus[0]->menu()->actions().value(0), w.startStop());
    EXPECT_FALSE(w.part<QAction>("mnuViewBrowser")->isEnabled());
    EXPECT_EQ(w.surface()->colour(), kSystemButtonFace);
    EXPECT_EQ(w.periodBar()->value(), 50);
}

TEST_F(MainWindowTest, ASurfaceClickOrTheMenuItemStartsAndStops)
{
    auto w = shown();
    EXPECT_FALSE(w->timer()->isActive()) << "no wake-ups while stopped";
    EXPECT_EQ(w->tick(), kSystemButtonFace) << "ticks do nothing while stopped";

    clickSurface(*w);
    EXPECT_EQ(w->startStop()->text(), ja("終了"));
    EXPECT_TRUE(w->timer()->isActive());
    EXPECT_EQ(w->tick(), kWhite);

    w->startStop()->trigger();
    EXPECT_EQ(w->startStop()->text(), ja("開始"));
    EXPECT_FALSE(w->timer()->isActive());
    EXPECT_EQ(w->tick(), kWhite) << "stopping keeps the colour shown";
}

// The colour dialogs open on the current colour and a cancel keeps it;
// neither they nor the bar toggle; the bar's arrow steps 1, its trough 10.
TEST_F(MainWindowTest, ControlsOnTheSurfaceSetColoursAndPeriodWithoutToggling)
{
    auto w = shown();
    for (std::optional<Colour> answer : {std::optional<Colour>{}, {0x0000FFu}, {}})
        w->chooser.answer = answer, QTest::mouseClick(w->button(1), Qt::LeftButton);
    QTest::mouseClick(w->button(2), Qt::LeftButton);
    EXPECT_EQ(w->chooser.shownWith, (std::vector<Colour>{kWhite, kWhite, 0x0000FF, kBlack}));
    QScrollBar* bar = w->periodBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() - 3, bar->height() / 2));
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() / 2 + 20, bar->height() / 2));
    EXPECT_EQ(bar->value(), 61);
    EXPECT_EQ(w->startStop()->text(), ja("開始(&O)..."));

    w->chooser.answer = 0x0000FF;
    QTest::mouseClick(w->button(2), Qt::LeftButton);
    clickSurface(*w);
    EXPECT_EQ(w->tick(), 0x0000FFu);
    EXPECT_EQ(w->tick(), 0x0000FFu) << "equal colours: steady";
    for (const auto& [value, ticking] : {std::pair{0, false}, {1, true}}) {
        bar->setValue(value);
        EXPECT_EQ(w->timer()->isActive(), ticking) << value;
    }
}

// Without a mouse: Tab goes surface, bar, 色変更1, 色変更2 as designed; on the
// bar each key steps as the mouse does, the tooltip saying the period; Alt+V,
// O starts; Esc stops the flashing wherever the focus is, and never starts it.
TEST_F(MainWindowTest, TheKeyboardSetsThePeriodAndEscStops)
{
    auto w = shown();
    QApplication::setActiveWindow(&w->window);
    w->surface()->setFocus();
    for (QWidget* next : std::vector<QWidget*>{w->periodBar(), w->button(1), w->button(2), w->surface()}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next) << next->objectName().toStdString();
    }
    QScrollBar* bar = w->periodBar();
    const std::pair<Qt::Key, int> keys[] = {
        {Qt::Key_Right, 51}, {Qt::Key_Left, 49}, {Qt::Key_PageDown, 60}, {Qt::Key_End, 500}, {Qt::Key_Home, 0}};
    for (const auto& [key, value] : keys) {
        bar->setValue(50);
        QTest::keyClick(bar, key);
        EXPECT_EQ(bar->value(), value) << key;
        const auto* tip = bar->findChild<QLabel*>(QStringLiteral("periodTip"));
        ASSERT_TRUE(tip && tip->isVisible() && tip->windowType() == Qt::ToolTip) << key;
        EXPECT_EQ(tip->text().toStdString(), periodText(value));
    }

    QTest::keyClick(bar, Qt::Key_Right);
    QTest::keyClick(&w->window, Qt::Key_V, Qt::AltModifier);  // Alt+V, O: the menu item
    QMenu* view = w->part<QMenu>("mnuView");
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->isVisible(); }, 2000));
    QTest::keyClick(view, Qt::Key_O);
    EXPECT_EQ(w->startStop()->text(), ja("終了"));
    for (int press = 0; press < 2; ++press) {
        QTest::keyClick(bar, Qt::Key_Escape);
        EXPECT_EQ(w->startStop()->text(), ja("開始")) << "stopped, never started again";
        EXPECT_FALSE(w->timer()->isActive());
    }
}

TEST_F(MainWindowTest, SurfaceCoversTheClientAreaAtEverySize)
{
    auto w = shown();
    for (QSize size : {QSize(300, 200), QSize(2500, 1600), QSize(3840, 2160)}) {
        w->window.resize(size);
        const QRect covered = w->surface()->geometry();
        EXPECT_TRUE(covered.contains(w->window.centralWidget()->rect())) << size.width();
        EXPECT_EQ(covered.topLeft(), QPoint(-8, -8)) << "starts 120 twips beyond the corner";
        EXPECT_EQ(w->button(1)->pos(), QPoint(176, 16)) << "design position kept";
    }
}

TEST_F(MainWindowTest, ClosingStoresTheRestoredBoundsUnlessMinimised)
{
    const std::map<std::string, std::string> stored{
        {"MainLeft", "1500"}, {"MainTop", "3000"}, {"MainWidth", "7500.5"}, {"MainHeight", "6000"}};
    for (Qt::WindowState state : {Qt::WindowNoState, Qt::WindowMaximized, Qt::WindowMinimized}) {
        SCOPED_TRACE(state);
        MainWindowUnderTest w;
        for (const auto& [key, value] : stored)
            w.settings.values[{"ゾルテカ", "Settings", key}] = value;
        w.window.readSettings();
        EXPECT_EQ(w.window.geometry(), QRect(100, 200, 500, 400));
        w.window.setWindowState(state);
        w.window.show();
        ASSERT_TRUE(QTest::qWaitFor([&] { return w.window.windowState() == state; }, 2000));
        QWidget other;
        other.show();
        w.window.close();
        EXPECT_FALSE(other.isVisible()) << "other windows go with the main window";
        EXPECT_EQ(w.settings.writes, state == Qt::WindowMinimized ? 0 : 1);
        for (const auto& [key, value] : stored)
            EXPECT_EQ((w.settings.values[{"ゾルテカ", "Settings", key}]), value) << "unmoved, unchanged: " << key;
        w.window.unload();  // the application quitting afterwards
        EXPECT_LE(w.settings.writes, 1) << "stored once";
    }
}

TEST_F(MainWindowTest, FailedSaveStillClosesWithOneLine)
{
    auto w = shown();
    w->settings.failWrites = true;
    testing::internal::CaptureStderr();
    EXPECT_TRUE(w->window.close());
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("could not save"), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
}

}  // namespace
}  // namespace varno
