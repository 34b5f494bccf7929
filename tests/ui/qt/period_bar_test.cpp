// The period bar's tooltip: the period and its frequency, and under them what
// the screen makes of it once the refresh rate is known.
#include "ui/qt/period_bar.h"

#include "core/alternation.h"

#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

namespace varno {
namespace {

std::string tipAfterRight(ui::PeriodBar& bar, int from)
{
    bar.setValue(from);
    QTest::keyClick(&bar, Qt::Key_Right);
    const auto* tip = bar.findChild<QLabel*>(QStringLiteral("periodTip"));
    return tip && tip->isVisible() ? tip->text().toStdString() : std::string("(no tip)");
}

TEST(PeriodBar, TheTipTellsWhatTheScreenShowsAtItsRate)
{
    ui::PeriodBar bar;
    bar.resize(300, 20);
    bar.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&bar));
    const struct {
        RefreshRate rate;
        int from;
        std::string tip;
    } cases[] = {
        {RefreshRate::of(60), 19, "20 ms (25 Hz)\n画面 60 Hz: 各色 2,1,1,1,1 フレームの繰り返し (平均 20 ms)"},
        {RefreshRate::of(144), 19,
         "20 ms (25 Hz)\n画面 144 Hz: 各色 3 フレームが 22 回、2 フレームが 3 回で一巡 (平均 20 ms)"},
        {RefreshRate::of(60), 9, "10 ms (50 Hz)\n画面 60 Hz: 1 フレーム (16.67 ms) より短いため毎フレーム切り替え (30 Hz)"},
        {RefreshRate{}, 19, "20 ms (25 Hz)"},  // unknown: what it always said
    };
    for (const auto& c : cases) {
        bar.setRefreshRate(c.rate);
        EXPECT_EQ(tipAfterRight(bar, c.from), c.tip) << c.rate.frames;
    }

    // A rate learnt while the tip shows reaches it at once.
    bar.setRefreshRate({});
    ASSERT_EQ(tipAfterRight(bar, 49), periodText(50));
    bar.setRefreshRate(RefreshRate::of(60));
    const auto* tip = bar.findChild<QLabel*>(QStringLiteral("periodTip"));
    EXPECT_EQ(tip->text().toStdString(), periodText(50) + "\n画面 60 Hz: 各色 3 フレームずつ (ちょうど 50 ms)");
}

}  // namespace
}  // namespace varno
