#include "Picture1.h"

#include "platform/qt_colours.h"
#include "x11_surface.h"

#include <QChildEvent>
#include <QMouseEvent>
#include <QPainter>

namespace varno {

Picture1::Picture1(QWidget* parent) : QWidget(parent)
{
    // Every pixel is filled on each paint; nothing beneath needs drawing.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    UpdateFill();
    serverSurfaceWanted_ = X11Surface::Wanted();
    if (serverSurfaceWanted_) {
        // A window of its own that Qt never paints: the server shows its
        // background pixel, and the controls, native too, stay on top. The
        // parent becomes native as well so that it still clips the surface,
        // which reaches beyond its top-left corner.
        setAttribute(Qt::WA_PaintOnScreen);
        setAttribute(Qt::WA_NativeWindow);
    }
}

Picture1::~Picture1() = default;

void Picture1::SetBackColor(Colour colour)
{
    backColor_ = colour;
    UpdateFill();
    ShowFill();
}

void Picture1::ShowFill()
{
    if (surface_)
        surface_->Fill(fill_.rgb());
    else
        update();
}

void Picture1::AttachSurface()
{
    surface_ = X11Surface::Attach(internalWinId());
    if (surface_) {
        surface_->Fill(fill_.rgb());
        return;
    }
    // A visual without plain pixel values: Qt paints after all.
    serverSurfaceWanted_ = false;
    setAttribute(Qt::WA_PaintOnScreen, false);
    update();
}

bool Picture1::event(QEvent* event)
{
    if (serverSurfaceWanted_) {
        if (event->type() == QEvent::WinIdChange) {
            surface_.reset();
            if (internalWinId())
                AttachSurface();
        } else if (event->type() == QEvent::ChildPolished) {
            auto* child = static_cast<QChildEvent*>(event)->child();
            if (child->isWidgetType())
                static_cast<QWidget*>(child)->setAttribute(Qt::WA_NativeWindow);
        }
    }
    return QWidget::event(event);
}

QPaintEngine* Picture1::paintEngine() const
{
    return surface_ ? nullptr : QWidget::paintEngine();
}

void Picture1::UpdateFill()
{
    fill_ = platform::ToQColor(backColor_, palette());
}

void Picture1::paintEvent(QPaintEvent* event)
{
    if (surface_)
        return;  // the server has already filled it
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
        ShowFill();
    }
    QWidget::changeEvent(event);
}

}  // namespace varno
