// The period bar's tooltip: the period in force and its frequency, and under
// them what the screen makes of it once the refresh rate is known.
#include "ui/qt/period_bar.h"

#include "core/alternation.h"

#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

namespace varno {
namespace {

std::string tipOf(ui::PeriodBar& bar)
{
    const auto* tip = bar.findChild<QLabel*>(QStringLiteral("periodTip"));
    return tip && tip->isVisible() ? tip->text().toStdString() : std::string("(no tip)");
}

TEST(PeriodBar, TheTipTellsThePeriodInForceAndWhatTheScreenShows)
{
    constexpr int kPressOnly = -1;  // the thumb pressed where the bar starts, not moved
    const struct {
        RefreshRate rate;
        int from;  // one step right from here
        const char* tip;
    } cases[] = {
        {{}, kPressOnly, "20 ms (25 Hz)"},  // before the bar ever moved: the period before it
        {RefreshRate::of(60), kPressOnly, "20 ms (25 Hz)\n画面 60 Hz: 各色 2,1,1,1,1 フレームの繰り返し (平均 20 ms)"},
        {RefreshRate::of(144), 19,
         "20 ms (25 Hz)\n画面 144 Hz: 各色 3 フレームが 22 回、2 フレームが 3 回で一巡 (平均 20 ms)"},
        {RefreshRate::of(144), 51,
         "52 ms (9.62 Hz)\n画面 144 Hz: 各色 8 フレームが 61 回、7 フレームが 64 回で一巡 (平均 52 ms)"},
        {RefreshRate::of(50), 59, "60 ms (8.33 Hz)\n画面 50 Hz: 各色 3 フレームずつ (ちょうど 60 ms)"},
        {RefreshRate::of(60), 9, "10 ms (50 Hz)\n画面 60 Hz: 1 フレーム (16.67 ms) より短いため毎フレーム切り替え (30 Hz)"},
        {{}, 50, "51 ms (9.8 Hz)"},  // unknown: what it always said
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tip);
        ui::PeriodBar bar;
        bar.resize(300, 20);
        bar.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&bar));
        bar.setRefreshRate(c.rate);
        if (c.from == kPressOnly) {
            bar.triggerAction(QAbstractSlider::SliderMove);  // what pressing the thumb does
        } else {
            bar.setValue(c.from);
            QTest::keyClick(&bar, Qt::Key_Right);
        }
        EXPECT_EQ(tipOf(bar), c.tip);
        if (c.from == 50) {
            // A rate learnt while the tip shows reaches it at once.
            bar.setRefreshRate(RefreshRate::of(60));
            EXPECT_EQ(tipOf(bar), periodText(51) + "\n画面 60 Hz: 各色 4 フレームが 3 回、3 フレームが 47 回で一巡 (平均 51 ms)");
        }
    }
}

}  // namespace
}  // namespace varno
