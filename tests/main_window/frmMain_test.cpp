#include "main_window/frmMain.h"

#include "main_window/Picture1.h"
#include "support/fake_services.h"

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace varno {
namespace {

using testing_support::FakeColourChooser;
using testing_support::FakeSettingsStore;

constexpr const char* kApp = "ゾルテカ";

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

    // A point on the surface well away from the controls in its top row.
    static void ClickSurface(frmMain& form)
    {
        Picture1* surface = form.picture();
        QTest::mouseClick(surface, Qt::LeftButton, {}, QPoint(surface->width() / 2, surface->height() / 2));
    }

    void Store(const char* key, const char* value) { settings.values[{kApp, "Settings", key}] = value; }
    std::string Stored(const char* key) { return settings.values[{kApp, "Settings", key}]; }

    FakeSettingsStore settings;
    FakeColourChooser chooser1;
    FakeColourChooser chooser2;
};

TEST_F(frmMainTest, DesignedControlsAndMenus)
{
    auto form = Make();
    EXPECT_EQ(form->windowTitle(), QString::fromUtf8("ゾルテカ"));
    EXPECT_EQ(form->command1()->text(), QString::fromUtf8("色変更1"));
    EXPECT_EQ(form->command2()->text(), QString::fromUtf8("色変更2"));
    EXPECT_EQ(form->viewOptionsAction()->text(), QString::fromUtf8("開始(&O)..."));
    EXPECT_EQ(form->viewBrowserAction()->text(), QString::fromUtf8("WWW ﾌﾞﾗｳｻﾞ(&W)"));
    EXPECT_FALSE(form->viewBrowserAction()->isEnabled());
    EXPECT_EQ(form->helpAboutAction()->text(), QString::fromUtf8("ﾊﾞｰｼﾞｮﾝ情報(&A)ゾルテカ..."));
    const auto menus = form->menuBar()->actions();
    ASSERT_EQ(menus.size(), 2);
    EXPECT_EQ(menus[0]->text(), QString::fromUtf8("表示(&V)"));
    EXPECT_EQ(menus[1]->text(), QString::fromUtf8("ﾍﾙﾌﾟ(&H)"));
    EXPECT_EQ(form->picture()->BackColor(), kSysButtonFace);
    EXPECT_EQ(form->Color1, kWhite);
    EXPECT_EQ(form->Color2, kBlack);
    EXPECT_EQ(form->Running, kFalse);
    EXPECT_EQ(form->hScroll1()->minimum(), 0);
    EXPECT_EQ(form->hScroll1()->maximum(), 500);
    EXPECT_EQ(form->hScroll1()->value(), 50);
    // The period at load is the timer's own, not the bar's.
    EXPECT_EQ(form->timerInterval(), 20);
}

TEST_F(frmMainTest, ClicksAlternateAndFreezeTheSurface)
{
    auto form = Shown();
    Picture1& surface = *form->picture();
    EXPECT_FALSE(form->timer1().isActive()) << "no wake-ups while stopped";
    form->Timer1_Timer();
    EXPECT_EQ(surface.BackColor(), kSysButtonFace) << "ticks do nothing while stopped";

    ClickSurface(*form);
    EXPECT_EQ(form->Running, kTrue);
    EXPECT_TRUE(form->timer1().isActive());
    std::vector<Colour> seen;
    for (int i = 0; i < 4; ++i) {
        form->Timer1_Timer();
        seen.push_back(surface.BackColor());
    }
    EXPECT_EQ(seen, (std::vector<Colour>{kWhite, kBlack, kWhite, kBlack}));

    ClickSurface(*form);
    EXPECT_EQ(form->Running, kFalse);
    EXPECT_FALSE(form->timer1().isActive());
    form->Timer1_Timer();
    EXPECT_EQ(surface.BackColor(), kBlack) << "stopping keeps the colour shown";

    ClickSurface(*form);
    form->Timer1_Timer();
    EXPECT_EQ(surface.BackColor(), kWhite) << "starting again goes on by the rule";
}

TEST_F(frmMainTest, TheRealTimerFlipsTheSurface)
{
    auto form = Shown();
    ClickSurface(*form);
    Picture1& surface = *form->picture();
    ASSERT_TRUE(QTest::qWaitFor([&] { return surface.BackColor() == kWhite; }, 5000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return surface.BackColor() == kBlack; }, 5000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return surface.BackColor() == kWhite; }, 5000));
}

TEST_F(frmMainTest, CaptionSequence)
{
    auto form = Make();
    const char* expected[] = {"終了", "開始", "終了", "開始"};
    for (const char* caption : expected) {
        form->viewOptionsAction()->trigger();
        EXPECT_EQ(form->viewOptionsAction()->text(), QString::fromUtf8(caption));
    }
}

TEST_F(frmMainTest, AccessKeysToggleFromTheMenu)
{
    auto form = Shown();
    QApplication::setActiveWindow(form.get());
    QTest::keyClick(form.get(), Qt::Key_V, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->viewMenu()->isVisible(); }, 2000));
    QTest::keyClick(form->viewMenu(), Qt::Key_O);
    EXPECT_EQ(form->Running, kTrue);
    EXPECT_EQ(form->viewOptionsAction()->text(), QString::fromUtf8("終了"));
}

TEST_F(frmMainTest, ControlsOnTheSurfaceDoNotToggle)
{
    auto form = Shown();
    QTest::mouseClick(form->command1(), Qt::LeftButton);
    QTest::mouseClick(form->command2(), Qt::LeftButton);
    QScrollBar* bar = form->hScroll1();
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() - 3, bar->height() / 2));
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() / 2 + 20, bar->height() / 2));
    EXPECT_EQ(form->Running, kFalse);
    EXPECT_EQ(form->viewOptionsAction()->text(), QString::fromUtf8("開始(&O)..."));
    EXPECT_EQ(chooser1.shownWith.size(), 1u);
    EXPECT_EQ(chooser2.shownWith.size(), 1u);
}

TEST_F(frmMainTest, ScrollBarSetsThePeriod)
{
    auto form = Shown();
    ClickSurface(*form);
    struct {
        int set;
        int interval;
        bool ticking;
    } table[] = {{100, 100, true}, {0, 0, false}, {500, 500, true}, {900, 500, true}, {-7, 0, false}, {1, 1, true}};
    for (const auto& row : table) {
        form->hScroll1()->setValue(row.set);
        EXPECT_EQ(form->timerInterval(), row.interval) << row.set;
        EXPECT_EQ(form->timer1().isActive(), row.ticking) << row.set;
    }
    // Stopped: no timer even with a period set.
    ClickSurface(*form);
    form->hScroll1()->setValue(40);
    EXPECT_EQ(form->timerInterval(), 40);
    EXPECT_FALSE(form->timer1().isActive());
}

TEST_F(frmMainTest, ScrollBarArrowsAndPagesStepByOneAndTen)
{
    auto form = Shown();
    QScrollBar* bar = form->hScroll1();
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(form->timerInterval(), 51);
    bar->triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(form->timerInterval(), 41);
}

TEST_F(frmMainTest, ColourDialogsOpenWithTheCurrentColourAndCancelKeepsIt)
{
    auto form = Shown();
    chooser1.answer.reset();
    QTest::mouseClick(form->command1(), Qt::LeftButton);
    EXPECT_EQ(form->Color1, kWhite) << "cancel keeps the colour";
    chooser1.answer = 0x0000FF;
    QTest::mouseClick(form->command1(), Qt::LeftButton);
    EXPECT_EQ(form->Color1, 0x0000FFu);
    chooser1.answer.reset();
    QTest::mouseClick(form->command1(), Qt::LeftButton);
    EXPECT_EQ(form->Color1, 0x0000FFu);
    EXPECT_EQ(chooser1.shownWith, (std::vector<std::uint32_t>{kWhite, kWhite, 0x0000FF}));

    chooser2.answer = 0x0000FF;
    QTest::mouseClick(form->command2(), Qt::LeftButton);
    EXPECT_EQ(chooser2.shownWith, (std::vector<std::uint32_t>{kBlack}));
    ClickSurface(*form);
    for (int i = 0; i < 3; ++i) {
        form->Timer1_Timer();
        EXPECT_EQ(form->picture()->BackColor(), 0x0000FFu) << "equal colours: steady";
    }
}

TEST_F(frmMainTest, SurfaceCoversTheClientAreaAtEverySize)
{
    auto form = Shown();
    for (QSize size : {QSize(300, 200), QSize(2500, 1600), QSize(3840, 2160)}) {
        form->resize(size);
        QWidget* client = form->centralWidget();
        QRect covered = form->picture()->geometry();
        EXPECT_TRUE(covered.contains(client->rect())) << size.width() << "x" << size.height();
        EXPECT_EQ(covered.topLeft(), QPoint(-8, -8)) << "starts 120 twips beyond the corner";
        EXPECT_EQ(form->command1()->pos(), QPoint(176, 16)) << "design position kept";
    }
}

TEST_F(frmMainTest, FirstRunUsesDefaultBounds)
{
    auto form = Make();
    // 15 twips a pixel at 96 DPI: 1000 twips is 66.7 pixels.
    EXPECT_EQ(form->geometry(), QRect(67, 67, 433, 433));
}

struct BadSettingsCase {
    const char* name;
    const char* left;
    const char* top;
    const char* width;
    const char* height;
    QRect expected;
};

class frmMainBadSettings : public frmMainTest, public testing::WithParamInterface<BadSettingsCase> {};

TEST_P(frmMainBadSettings, StartsWithDefaultsForWhatCannotBeUsed)
{
    const auto& c = GetParam();
    Store("MainLeft", c.left);
    Store("MainTop", c.top);
    Store("MainWidth", c.width);
    Store("MainHeight", c.height);
    auto form = Make();
    EXPECT_EQ(form->geometry(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, frmMainBadSettings,
    testing::Values(BadSettingsCase{"Fraction", "1500", "3000", "7500.5", "6000", {100, 200, 500, 400}},
                    BadSettingsCase{"Spaces", " 1500 ", "\t3000", "7500 ", " 6000", {100, 200, 500, 400}},
                    BadSettingsCase{"Words", "left", "top", "wide", "tall", {67, 67, 433, 433}},
                    BadSettingsCase{"Empty", "", "", "", "", {67, 67, 433, 433}},
                    BadSettingsCase{"ZeroAndNegativeSize", "1500", "3000", "0", "-15", {100, 200, 433, 433}},
                    BadSettingsCase{"NotFinite", "inf", "nan", "1e39", "-inf", {67, 67, 433, 433}}),
    [](const testing::TestParamInfo<BadSettingsCase>& info) { return std::string(info.param.name); });

TEST_F(frmMainTest, OffScreenBoundsComeBackOntoThePrimaryScreen)
{
    Store("MainLeft", "900000");
    Store("MainTop", "-900000");
    auto form = Make();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(screen.contains(form->geometry())) << form->geometry().x() << "," << form->geometry().y();
}

TEST_F(frmMainTest, ClosingSavesTheRestoredBoundsAsText)
{
    Store("MainWidth", "7500.5");
    auto form = Shown();
    form->setGeometry(100, 200, 500, 400);
    form->close();
    EXPECT_EQ(Stored("MainLeft"), "1500");
    EXPECT_EQ(Stored("MainTop"), "3000");
    EXPECT_EQ(Stored("MainWidth"), "7500");
    EXPECT_EQ(Stored("MainHeight"), "6000");
}

TEST_F(frmMainTest, ClosingMaximisedSavesTheRestoredBounds)
{
    auto form = Make();
    form->setGeometry(100, 200, 500, 400);
    form->showMaximized();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    ASSERT_TRUE(form->isMaximized());
    form->close();
    EXPECT_EQ(Stored("MainLeft"), "1500");
    EXPECT_EQ(Stored("MainWidth"), "7500");
}

TEST_F(frmMainTest, ClosingMinimisedWritesNothing)
{
    auto form = Shown();
    form->showMinimized();
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->isMinimized(); }, 2000));
    form->close();
    EXPECT_EQ(settings.writes, 0);
}

TEST_F(frmMainTest, UnloadRunsOnceAndClosesOtherWindows)
{
    auto form = Shown();
    QWidget other;
    other.show();
    form->close();
    EXPECT_FALSE(other.isVisible());
    EXPECT_EQ(settings.writes, 4);
    form->Form_Unload();  // the application quitting afterwards
    EXPECT_EQ(settings.writes, 4);
}

TEST_F(frmMainTest, FailedSaveStillCloses)
{
    settings.failWrites = true;
    auto form = Shown();
    testing::internal::CaptureStderr();
    EXPECT_TRUE(form->close());
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("could not save"), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << "one line, not one per key";
}

}  // namespace
}  // namespace varno
