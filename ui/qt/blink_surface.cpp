#include "blink_surface.h"

#include "platform/qt/qt_colours.h"
#include "platform/x11/x11_surface.h"

#include <QChildEvent>
#include <QMouseEvent>
#include <QPainter>

namespace varno::ui {

BlinkSurface::BlinkSurface(QWidget* parent) : QWidget(parent)
{
    // Every pixel is filled on each paint; nothing beneath needs drawing.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    fill_ = platform::toQColor(colour_, palette());
    serverSurfaceWanted_ = platform::X11Surface::wanted();
    if (serverSurfaceWanted_) {
        // A window of its own that Qt never paints: the server shows its
        // background pixel, and the controls, native too, stay on top. The
        // parent becomes native as well so that it still clips the surface,
        // which reaches beyond its top-left corner.
        setAttribute(Qt::WA_PaintOnScreen);
        setAttribute(Qt::WA_NativeWindow);
    }
}

BlinkSurface::~BlinkSurface() = default;

void BlinkSurface::setColour(Colour colour)
{
    colour_ = colour;
    fill_ = platform::toQColor(colour_, palette());
    showFill();
}

void BlinkSurface::showFill()
{
    if (serverSurface_)
        serverSurface_->fill(fill_.rgb());
    else
        update();
}

void BlinkSurface::attachServerSurface()
{
    serverSurface_ = platform::X11Surface::attach(internalWinId());
    if (serverSurface_) {
        serverSurface_->fill(fill_.rgb());
        return;
    }
    // A visual without plain pixel values: Qt paints after all.
    serverSurfaceWanted_ = false;
    setAttribute(Qt::WA_PaintOnScreen, false);
    update();
}

bool BlinkSurface::event(QEvent* event)
{
    if (serverSurfaceWanted_) {
        if (event->type() == QEvent::WinIdChange) {
            serverSurface_.reset();
            if (internalWinId())
                attachServerSurface();
        } else if (event->type() == QEvent::ChildPolished) {
            auto* child = static_cast<QChildEvent*>(event)->child();
            if (child->isWidgetType())
                static_cast<QWidget*>(child)->setAttribute(Qt::WA_NativeWindow);
        }
    }
    return QWidget::event(event);
}

QPaintEngine* BlinkSurface::paintEngine() const
{
    return serverSurface_ ? nullptr : QWidget::paintEngine();
}

void BlinkSurface::paintEvent(QPaintEvent* event)
{
    if (serverSurface_)
        return;  // the server has already filled it
    QPainter painter(this);
    painter.fillRect(event->rect(), fill_);
}

void BlinkSurface::mousePressEvent(QMouseEvent* event)
{
    pressed_ = event->button() == Qt::LeftButton;
    event->accept();
}

void BlinkSurface::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    pressed_ = false;
    event->accept();
    if (click)
        emit clicked();
}

void BlinkSurface::changeEvent(QEvent* event)
{
    // A system colour follows the palette when the theme changes.
    if (event->type() == QEvent::PaletteChange && isSystemColour(colour_))
        setColour(colour_);
    QWidget::changeEvent(event);
}

}  // namespace varno::ui
