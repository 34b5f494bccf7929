#include "Picture1.h"

#include "platform/qt_colours.h"

#include <QMouseEvent>
#include <QPainter>

namespace varno {

Picture1::Picture1(QWidget* parent) : QWidget(parent)
{
    // Every pixel is filled on each paint; nothing beneath needs drawing.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    UpdateFill();
}

void Picture1::SetBackColor(Colour colour)
{
    backColor_ = colour;
    UpdateFill();
    update();
}

void Picture1::UpdateFill()
{
    fill_ = platform::ToQColor(backColor_, palette());
}

void Picture1::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), fill_);
}

void Picture1::mousePressEvent(QMouseEvent* event)
{
    pressed_ = event->button() == Qt::LeftButton;
    event->accept();
}

void Picture1::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    pressed_ = false;
    event->accept();
    if (click)
        emit Click();
}

void Picture1::changeEvent(QEvent* event)
{
    // A system colour follows the palette when the theme changes.
    if (event->type() == QEvent::PaletteChange && (backColor_ & kSystemColourFlag)) {
        UpdateFill();
        update();
    }
    QWidget::changeEvent(event);
}

}  // namespace varno
