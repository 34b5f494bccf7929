#include "ui/qt/period_bar.h"

#include "core/alternation.h"

#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

namespace varno {
namespace {

QString tipOf(ui::PeriodBar& bar)
{
    const auto* tip = bar.findChild<QLabel*>(QStringLiteral("periodTip"));
    return tip && tip->isVisible() ? tip->text() : QString();
}

// The tip tells the period that blinks and what the screen makes of it.
TEST(PeriodBarTest, TipTellsThePeriodInForceAndWhatTheScreenShows)
{
    const struct {
        const char* what;
        RefreshRate rate;
        int stepsRight;  // from the bar's start at 50; 0 only presses the thumb
        const char* tip;
    } cases[] = {
        {"pressed before it ever moved: the period before it", {}, 0, "20 ms (25 Hz)"},
        {"pressed, rate known", RefreshRate::of(60), 0,
         "20 ms (25 Hz)\n画面 60 Hz: 各色 2,1,1,1,1 フレームの繰り返し (平均 20 ms)"},
        {"moved at 144 Hz", RefreshRate::of(144), 2,
         "52 ms (9.62 Hz)\n画面 144 Hz: 各色 8 フレームが 61 回、7 フレームが 64 回で一巡 (平均 52 ms)"},
        {"moved at 50 Hz", RefreshRate::of(50), 10, "60 ms (8.33 Hz)\n画面 50 Hz: 各色 3 フレームずつ (ちょうど 60 ms)"},
        {"rate unknown", {}, 1, "51 ms (9.8 Hz)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QWidget window;
        auto* bar = new ui::PeriodBar(&window);
        bar->setGeometry(0, 0, 300, 17);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        bar->setRefreshRate(c.rate);
        if (c.stepsRight == 0)
            bar->triggerAction(QAbstractSlider::SliderMove);  // what pressing the thumb does
        for (int i = 0; i < c.stepsRight; ++i)
            QTest::keyClick(bar, Qt::Key_Right);
        EXPECT_EQ(tipOf(*bar).toStdString(), c.tip);
    }
}

}  // namespace
}  // namespace varno
