#include "period_bar.h"

#include "core/alternation.h"

#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QStyleOptionFocusRect>
#include <QStyleOptionSlider>
#include <QStylePainter>
#include <QToolTip>

#include <algorithm>

namespace varno::ui {

namespace {

// Long enough to read a value after the last step, short enough to be gone
// before anyone reaches for it.
constexpr int kTipShownMs = 1500;
constexpr int kTipGap = 2;

// Qt's own tooltips hide at every key press and release and every click,
// which would take the value away while it is being set: this one stays
// until the adjusting stops.
QLabel* makeTip(QWidget* owner)
{
    auto* tip = new QLabel(owner, Qt::ToolTip | Qt::BypassGraphicsProxyWidget);
    tip->setObjectName(QStringLiteral("periodTip"));
    tip->setForegroundRole(QPalette::ToolTipText);
    tip->setBackgroundRole(QPalette::ToolTipBase);
    tip->setPalette(QToolTip::palette());
    tip->setFont(QToolTip::font());
    tip->setAutoFillBackground(true);
    tip->setFrameStyle(QFrame::Box | QFrame::Plain);
    tip->setMargin(1 + tip->style()->pixelMetric(QStyle::PM_ToolTipLabelFrameWidth, nullptr, tip));
    tip->setTextFormat(Qt::PlainText);
    return tip;
}

}  // namespace

PeriodBar::PeriodBar(QWidget* parent)
    : QScrollBar(Qt::Horizontal, parent), tip_(makeTip(this)), periodInForce_(kStartPeriodMs)
{
    setRange(kMinPeriodMs, kMaxPeriodMs);
    setSingleStep(kPeriodLineStep);
    setPageStep(kPeriodPageStep);
    setValue(kPeriodBarStart);
    // The period follows the bar once the user lets go of the thumb, as the
    // classic change event did, not on every pixel of a drag.
    setTracking(false);
    // Without a mouse the period could not be set otherwise.
    setFocusPolicy(Qt::StrongFocus);

    tipTimer_.setSingleShot(true);
    tipTimer_.setInterval(kTipShownMs);
    connect(&tipTimer_, &QTimer::timeout, tip_, &QWidget::hide);
    // Arrow and trough clicks, keys and the wheel come as actions, a drag as
    // moves; either way the thumb is already where it will settle.
    connect(this, &QAbstractSlider::actionTriggered, this, &PeriodBar::showTip);
    connect(this, &QAbstractSlider::sliderMoved, this, &PeriodBar::showTip);
    connect(this, &QAbstractSlider::sliderReleased, &tipTimer_, qOverload<>(&QTimer::start));
}

QRect PeriodBar::thumbRect() const
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    return style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this);
}

void PeriodBar::setRefreshRate(RefreshRate rate)
{
    rate_ = rate;
    if (tip_->isVisible())
        showTip();
}

void PeriodBar::showTip()
{
    // Pressing the thumb before the bar has ever moved changes nothing yet:
    // the period in force is still the one from before.
    everMoved_ = everMoved_ || sliderPosition() != kPeriodBarStart;
    const int period = everMoved_ ? sliderPosition() : periodInForce_;
    std::string line = periodText(period);
    if (const std::string screen = onScreenText(period, rate_); !screen.empty())
        line += "\n" + screen;
    const QString text = QString::fromStdString(line);
    tip_->setText(text);
    // Named by what it shows, so that window tools can read the value too.
    tip_->setWindowTitle(text);
    tip_->adjustSize();

    // Under the thumb but not left of the bar, or above the bar where the
    // screen ends below it.
    const int thumbCentre = thumbRect().center().x();
    QPoint at = mapToGlobal(QPoint(std::max(0, thumbCentre - tip_->width() / 2), height() + kTipGap));
    if (const QScreen* here = screen()) {
        const QRect area = here->availableGeometry();
        at.setX(std::clamp(at.x(), area.left(), std::max(area.left(), area.right() + 1 - tip_->width())));
        if (at.y() + tip_->height() > area.bottom() + 1)
            at.setY(mapToGlobal(QPoint(0, 0)).y() - kTipGap - tip_->height());
    }
    tip_->move(at);
    tip_->show();
    tip_->raise();

    // A drag keeps it until the thumb is let go.
    if (isSliderDown())
        tipTimer_.stop();
    else
        tipTimer_.start();
}

void PeriodBar::keyPressEvent(QKeyEvent* event)
{
    // Qt's scroll bar turns the two arrows round (Right lowers the value and
    // moves the thumb left); here they go the way the thumb does. Up, Down,
    // Page Up/Down, Home and End are Qt's, as on any horizontal scroll bar.
    const bool left = event->key() == Qt::Key_Left;
    if ((left || event->key() == Qt::Key_Right) && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        triggerAction(left != isRightToLeft() ? SliderSingleStepSub : SliderSingleStepAdd);
        event->accept();
        return;
    }
    QScrollBar::keyPressEvent(event);
}

void PeriodBar::paintEvent(QPaintEvent* event)
{
    QScrollBar::paintEvent(event);
    // The style draws no focus on a scroll bar; a frame round the thumb shows
    // where the keys go.
    if (!hasFocus())
        return;
    QStylePainter painter(this);
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    focus.rect = thumbRect().adjusted(1, 1, -1, -1);
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
}

void PeriodBar::hideEvent(QHideEvent* event)
{
    tip_->hide();
    QScrollBar::hideEvent(event);
}

void PeriodBar::changeEvent(QEvent* event)
{
    // The tip belongs to the active window: it goes when another takes over.
    if (event->type() == QEvent::ActivationChange && !isActiveWindow())
        tip_->hide();
    QScrollBar::changeEvent(event);
}

}  // namespace varno::ui
