#pragma once

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
};

}  // namespace varno::ui
