#include "main_window/frmMain.h"

#include "main_window/Picture1.h"
#include "support/fake_services.h"

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace varno {
namespace {

constexpr const char* kApp = "ゾルテカ";
QString Ja(const char* text) { return QString::fromUtf8(text); }

class frmMainTest : public testing::Test {
protected:
    std::unique_ptr<frmMain> Make()
    {
        platform::Services services;
        services.settings = &settings;
        services.commonDialog1 = &chooser1;
        services.commonDialog2 = &chooser2;
        auto form = std::make_unique<frmMain>(services);
        form->Form_Load();
        return form;
    }

    std::unique_ptr<frmMain> Shown()
    {
        auto form = Make();
        form->resize(800, 600);
        form->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        return form;
    }

    // The middle of the surface, well away from the controls in its top row.
    static void ClickSurface(frmMain& form)
    {
        QTest::mouseClick(form.picture(), Qt::LeftButton, {}, form.picture()->rect().center());
    }

    void Store(const char* key, const char* value) { settings.values[{kApp, "Settings", key}] = value; }
    std::string Stored(const char* key) { return settings.values[{kApp, "Settings", key}]; }

    testing_support::FakeSettingsStore settings;
    testing_support::FakeColourChooser chooser1;
    testing_support::FakeColourChooser chooser2;
};

TEST_F(frmMainTest, StartsAsDesigned)
{
    auto form = Make();
    EXPECT_EQ(form->windowTitle(), Ja("ゾルテカ"));
    EXPECT_EQ(form->command1()->text(), Ja("色変更1"));
    EXPECT_EQ(form->command2()->text(), Ja("色変更2"));
    const auto menus = form->menuBar()->actions();
    ASSERT_EQ(menus.size(), 2);
    EXPECT_EQ(menus[0]->text(), Ja("表示(&V)"));
    EXPECT_EQ(menus[1]->text(), Ja("ﾍﾙﾌﾟ(&H)"));
    EXPECT_EQ(form->viewBrowserAction()->text(), Ja("WWW ﾌﾞﾗｳｻﾞ(&W)"));
    EXPECT_FALSE(form->viewBrowserAction()->isEnabled());
    EXPECT_EQ(form->helpAboutAction()->text(), Ja("ﾊﾞｰｼﾞｮﾝ情報(&A)ゾルテカ..."));
    EXPECT_EQ(form->picture()->BackColor(), kSysButtonFace);
    EXPECT_EQ(form->hScroll1()->value(), 50);
    EXPECT_EQ(form->timerInterval(), 20) << "the period at load is the timer's own, not the bar's";
}

TEST_F(frmMainTest, ClicksAlternateAndFreezeTheSurface)
{
    auto form = Shown();
    Picture1& surface = *form->picture();
    auto tick = [&] {
        form->Timer1_Timer();
        return surface.BackColor();
    };
    EXPECT_EQ(form->viewOptionsAction()->text(), Ja("開始(&O)..."));
    EXPECT_FALSE(form->timer1().isActive()) << "no wake-ups while stopped";
    EXPECT_EQ(tick(), kSysButtonFace) << "ticks do nothing while stopped";

    ClickSurface(*form);
    EXPECT_EQ(form->viewOptionsAction()->text(), Ja("終了"));
    EXPECT_TRUE(form->timer1().isActive());
    EXPECT_EQ((std::vector<Colour>{tick(), tick(), tick()}), (std::vector<Colour>{kWhite, kBlack, kWhite}));

    form->viewOptionsAction()->trigger();  // the menu item does the same
    EXPECT_EQ(form->viewOptionsAction()->text(), Ja("開始"));
    EXPECT_FALSE(form->timer1().isActive());
    EXPECT_EQ(tick(), kWhite) << "stopping keeps the colour shown";

    ClickSurface(*form);
    EXPECT_EQ(form->viewOptionsAction()->text(), Ja("終了"));
    EXPECT_EQ(tick(), kBlack) << "starting again goes on by the rule";
}

TEST_F(frmMainTest, TheRealTimerFlipsTheSurface)
{
    auto form = Shown();
    ClickSurface(*form);
    const Picture1& surface = *form->picture();
    for (Colour expected : {kWhite, kBlack, kWhite})
        ASSERT_TRUE(QTest::qWaitFor([&] { return surface.BackColor() == expected; }, 5000));
}

TEST_F(frmMainTest, AltVThenOToggles)
{
    auto form = Shown();
    QApplication::setActiveWindow(form.get());
    QTest::keyClick(form.get(), Qt::Key_V, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->viewMenu()->isVisible(); }, 2000));
    QTest::keyClick(form->viewMenu(), Qt::Key_O);
    EXPECT_EQ(form->Running, kTrue);
}

TEST_F(frmMainTest, ControlsOnTheSurfaceDoNotToggle)
{
    auto form = Shown();
    QScrollBar* bar = form->hScroll1();
    QTest::mouseClick(form->command1(), Qt::LeftButton);
    QTest::mouseClick(form->command2(), Qt::LeftButton);
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() - 3, bar->height() / 2));
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() / 2 + 20, bar->height() / 2));
    EXPECT_EQ(form->Running, kFalse);
    EXPECT_EQ(chooser1.shownWith.size() + chooser2.shownWith.size(), 2u);
    EXPECT_EQ(form->timerInterval(), 61) << "an arrow steps by 1, the trough by 10";
}

TEST_F(frmMainTest, ScrollBarSetsThePeriodAndZeroMeansNoTicks)
{
    auto form = Shown();
    ClickSurface(*form);
    const struct {
        int set, interval;
        bool ticking;
    } table[] = {{100, 100, true}, {0, 0, false}, {500, 500, true}, {900, 500, true}, {-7, 0, false}, {1, 1, true}};
    for (const auto& row : table) {
        form->hScroll1()->setValue(row.set);
        EXPECT_EQ(form->timerInterval(), row.interval) << row.set;
        EXPECT_EQ(form->timer1().isActive(), row.ticking) << row.set;
    }
}

TEST_F(frmMainTest, ColourDialogsOpenWithTheCurrentColourAndCancelKeepsIt)
{
    auto form = Shown();
    for (std::optional<std::uint32_t> answer : {std::optional<std::uint32_t>{}, {0x0000FFu}, {}})
        chooser1.answer = answer, QTest::mouseClick(form->command1(), Qt::LeftButton);
    EXPECT_EQ(form->Color1, 0x0000FFu);
    EXPECT_EQ(chooser1.shownWith, (std::vector<std::uint32_t>{kWhite, kWhite, 0x0000FF}));

    chooser2.answer = 0x0000FF;
    QTest::mouseClick(form->command2(), Qt::LeftButton);
    EXPECT_EQ(chooser2.shownWith, (std::vector<std::uint32_t>{kBlack}));
    ClickSurface(*form);
    form->Timer1_Timer();
    form->Timer1_Timer();
    EXPECT_EQ(form->picture()->BackColor(), 0x0000FFu) << "equal colours: steady";
}

TEST_F(frmMainTest, SurfaceCoversTheClientAreaAtEverySize)
{
    auto form = Shown();
    for (QSize size : {QSize(300, 200), QSize(2500, 1600), QSize(3840, 2160)}) {
        form->resize(size);
        const QRect covered = form->picture()->geometry();
        EXPECT_TRUE(covered.contains(form->centralWidget()->rect())) << size.width();
        EXPECT_EQ(covered.topLeft(), QPoint(-8, -8)) << "starts 120 twips beyond the corner";
        EXPECT_EQ(form->command1()->pos(), QPoint(176, 16)) << "design position kept";
    }
}

TEST_F(frmMainTest, StoredBoundsAndWhatCannotBeUsed)
{
    // 15 twips a pixel at 96 DPI; the defaults 1000 and 6500 are 67 and 433.
    const struct {
        const char *left, *top, *width, *height;
        QRect expected;
    } table[] = {
        {nullptr, nullptr, nullptr, nullptr, {67, 67, 433, 433}},
        {"1500", "3000", "7500.5", "6000", {100, 200, 500, 400}},
        {" 1500 ", "\t3000", "7500 ", " 6000", {100, 200, 500, 400}},
        {"left", "", "wide", "tall", {67, 67, 433, 433}},
        {"1500", "3000", "0", "-15", {100, 200, 433, 433}},
        {"inf", "nan", "1e39", "-inf", {67, 67, 433, 433}},
    };
    for (const auto& row : table) {
        settings.values.clear();
        if (row.left) {
            Store("MainLeft", row.left);
            Store("MainTop", row.top);
            Store("MainWidth", row.width);
            Store("MainHeight", row.height);
        }
        EXPECT_EQ(Make()->geometry(), row.expected) << (row.left ? row.left : "absent");
    }
}

TEST_F(frmMainTest, OffScreenBoundsComeBackOntoThePrimaryScreen)
{
    Store("MainLeft", "900000");
    Store("MainTop", "-900000");
    auto form = Make();
    EXPECT_TRUE(QGuiApplication::primaryScreen()->availableGeometry().contains(form->geometry()));
}

TEST_F(frmMainTest, ClosingSavesTheRestoredBoundsUnlessMinimised)
{
    for (Qt::WindowState state : {Qt::WindowNoState, Qt::WindowMaximized, Qt::WindowMinimized}) {
        settings.values.clear();
        settings.writes = 0;
        auto form = Make();
        form->setGeometry(100, 200, 500, 400);
        form->setWindowState(state);
        form->show();
        ASSERT_TRUE(QTest::qWaitFor([&] { return form->windowState() == state; }, 2000));
        QWidget other;
        other.show();
        form->close();
        EXPECT_FALSE(other.isVisible()) << "other windows go with the main window";
        if (state == Qt::WindowMinimized) {
            EXPECT_EQ(settings.writes, 0);
            continue;
        }
        EXPECT_EQ(Stored("MainLeft"), "1500") << state;
        EXPECT_EQ(Stored("MainTop"), "3000") << state;
        EXPECT_EQ(Stored("MainWidth"), "7500") << state;
        EXPECT_EQ(Stored("MainHeight"), "6000") << state;
        form->Form_Unload();  // the application quitting afterwards
        EXPECT_EQ(settings.writes, 4) << "saved once";
    }
}

TEST_F(frmMainTest, FailedSaveStillClosesWithOneLine)
{
    settings.failWrites = true;
    auto form = Shown();
    testing::internal::CaptureStderr();
    EXPECT_TRUE(form->close());
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("could not save"), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
}

}  // namespace
}  // namespace varno
