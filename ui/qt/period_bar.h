#pragma once

#include "core/frame_schedule.h"

#include <QScrollBar>
#include <QTimer>

class QLabel;

namespace varno::ui {

// The scroll bar that sets the period. Tab reaches it and the keys step it
// as the mouse does; while it is being moved a tooltip under its thumb shows
// the period it sets and the frequency that makes, then goes away by itself.
// The period follows the bar once the user lets go, as valueChanged says.
class PeriodBar : public QScrollBar {
    Q_OBJECT

public:
    explicit PeriodBar(QWidget* parent = nullptr);

    // What the screen makes of the period, told under it; unknown says nothing.
    void setRefreshRate(RefreshRate rate);
    // The period that blinks now: until the bar first moves it is not the
    // bar's value, and the tip must not claim that it is.
    void setPeriodInForce(int milliseconds) noexcept { periodInForce_ = milliseconds; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void showTip();
    QRect thumbRect() const;

    QLabel* tip_ = nullptr;  // a tooltip window of its own, owned by the bar
    QTimer tipTimer_;
    RefreshRate rate_;
    int periodInForce_;
    bool everMoved_ = false;
};

}  // namespace varno::ui
