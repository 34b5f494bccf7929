#include "blink_surface.h"

#include "platform/qt/qt_colours.h"
#include "platform/wayland/wayland_surface.h"
#include "platform/x11/x11_surface.h"

#include <QChildEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>

namespace varno::ui {

namespace {

// Wider than any style's rounding of a control's corner.
constexpr int kCornerSize = 4;

}  // namespace

BlinkSurface::BlinkSurface(QWidget* parent) : QWidget(parent)
{
    // Every pixel is filled on each paint; nothing beneath needs drawing.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    fill_ = platform::toQColor(colour_, palette());
    path_ = platform::chooseFillPath();
    switch (path_) {
    case platform::FillPath::X11Server:
        // A window of its own that Qt never paints: the server shows its
        // background pixel, and the controls, native too, stay on top. The
        // parent becomes native as well so that it still clips the surface,
        // which reaches beyond its top-left corner.
        setAttribute(Qt::WA_PaintOnScreen);
        setAttribute(Qt::WA_NativeWindow);
        break;
    case platform::FillPath::WaylandCompositor:
        // Subsurfaces of the window around the controls, which Qt goes on
        // painting. This widget stays a plain one, so clicks on the surface
        // still reach it.
        serverFill_ = platform::WaylandSurface::follow(this);
        if (serverFill_)
            serverFill_->fill(fill_.rgb());
        else
            path_ = platform::FillPath::QtPainting;
        break;
    case platform::FillPath::QtPainting:
        break;
    }
}

BlinkSurface::~BlinkSurface() = default;

platform::RefreshPacing* BlinkSurface::pacing() const noexcept
{
    return serverFill_ ? serverFill_->pacing() : nullptr;
}

void BlinkSurface::setColour(Colour colour)
{
    colour_ = colour;
    fill_ = platform::toQColor(colour_, palette());
    showFill();
}

void BlinkSurface::showFill()
{
    if (!serverFill_) {
        update();
        return;
    }
    serverFill_->fill(fill_.rgb());
    if (path_ == platform::FillPath::X11Server) {
        // Their rounded corners follow the surface: a repaint of those
        // corners alone, whatever the window's size.
        for (QObject* child : children()) {
            if (!child->isWidgetType())
                continue;
            auto* control = static_cast<QWidget*>(child);
            const QRect r = control->rect();
            QRegion corners;
            for (const QPoint& at : {r.topLeft(), r.topRight(), r.bottomLeft(), r.bottomRight()})
                corners += QRect(at, QSize(kCornerSize, kCornerSize))
                               .translated(at.x() == r.left() ? 0 : 1 - kCornerSize,
                                           at.y() == r.top() ? 0 : 1 - kCornerSize);
            control->update(corners);
        }
    }
}

bool BlinkSurface::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Paint && serverFill_ && path_ == platform::FillPath::X11Server &&
        watched->parent() == this) {
        auto* control = static_cast<QWidget*>(watched);
        QPainter painter(control);
        painter.fillRect(control->rect(), fill_);
    }
    return QWidget::eventFilter(watched, event);
}

void BlinkSurface::attachX11Window()
{
    serverFill_ = platform::X11Surface::attach(internalWinId(), window()->internalWinId());
    if (serverFill_)
        serverFill_->fill(fill_.rgb());
    else
        fallBackToQtPainting();  // a visual without plain pixel values
    emit pacingChanged();
}

void BlinkSurface::fallBackToQtPainting()
{
    path_ = platform::FillPath::QtPainting;
    setAttribute(Qt::WA_PaintOnScreen, false);
    update();
}

bool BlinkSurface::event(QEvent* event)
{
    if (event->type() == QEvent::WinIdChange && path_ == platform::FillPath::X11Server) {
        const bool hadPacing = pacing() != nullptr;
        serverFill_.reset();
        if (internalWinId())
            attachX11Window();
        else if (hadPacing)
            emit pacingChanged();
    } else if (event->type() == QEvent::ChildPolished && path_ == platform::FillPath::X11Server) {
        // The controls get windows of their own, above the filled surface.
        // Qt never paints the surface, so what their rounded corners let
        // through would be black: each control first fills itself with the
        // surface's colour.
        auto* child = static_cast<QChildEvent*>(event)->child();
        if (child->isWidgetType()) {
            static_cast<QWidget*>(child)->setAttribute(Qt::WA_NativeWindow);
            child->installEventFilter(this);
        }
    }
    return QWidget::event(event);
}

QPaintEngine* BlinkSurface::paintEngine() const
{
    return serverFill_ && path_ == platform::FillPath::X11Server ? nullptr : QWidget::paintEngine();
}

void BlinkSurface::paintEvent(QPaintEvent* event)
{
    if (serverFill_ && path_ == platform::FillPath::X11Server)
        return;  // the server fills it
    QPainter painter(this);
    if (!serverFill_) {
        painter.fillRect(event->rect(), fill_);
        return;
    }
    // The compositor fills the surface above the window around the controls
    // and beneath it everywhere: the window stays transparent here, so what
    // the controls' rounded corners let through follows every flip.
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(event->rect(), Qt::transparent);
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
