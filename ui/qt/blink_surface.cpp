#include "blink_surface.h"

#include "core/corner_cutouts.h"
#include "platform/qt/qt_colours.h"
#include "platform/wayland/wayland_surface.h"
#include "platform/x11/x11_surface.h"
#include "platform/x11/x11_window_shape.h"

#include <QChildEvent>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

#include <cmath>
#include <utility>

namespace varno::ui {

namespace {

// Wider than any style's rounding of a control's corner, in its units.
constexpr int kCornerSize = 4;

// Events after which a control may paint its corners otherwise.
bool changesCorners(QEvent::Type type)
{
    switch (type) {
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::WinIdChange:
    case QEvent::StyleChange:
    case QEvent::PaletteChange:
    case QEvent::FontChange:
    case QEvent::ScreenChangeInternal:
        return true;
    default:
        return false;
    }
}

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
    // The controls' rounded corners are cut out of their windows: there the
    // server shows this surface, on the same refresh, with no work here.
    serverFill_->fill(fill_.rgb());
}

bool BlinkSurface::eventFilter(QObject* watched, QEvent* event)
{
    if (path_ == platform::FillPath::X11Server && watched->parent() == this && watched->isWidgetType()) {
        auto* control = static_cast<QWidget*>(watched);
        if (event->type() == QEvent::Paint && control != cutting_) {
            // Nothing is painted beneath a native control: what its corners'
            // half-opaque edge blends with is its own face, the same at every
            // flip, never black.
            QPainter painter(control);
            painter.fillRect(control->rect(), control->palette().color(control->backgroundRole()));
        } else if (changesCorners(event->type())) {
            cutCornersLater(control);
        }
    }
    return QWidget::eventFilter(watched, event);
}

void BlinkSurface::cutCornersLater(QWidget* control)
{
    if (!toCut_.contains(control))
        toCut_.append(control);
    // Once for a burst of changes (a move to another screen restyles, refonts
    // and resizes at once).
    if (toCut_.size() == 1)
        QTimer::singleShot(0, this, &BlinkSurface::cutCorners);
}

void BlinkSurface::cutCorners()
{
    const QList<QPointer<QWidget>> controls = std::exchange(toCut_, {});
    for (const QPointer<QWidget>& control : controls) {
        if (!control || !control->internalWinId() || control->size().isEmpty())
            continue;
        // What the style paints over nothing, in device pixels (the window's
        // own, which the ui lays out on whole ones).
        const qreal ratio = control->devicePixelRatioF();
        const QSize device(qRound(control->width() * ratio), qRound(control->height() * ratio));
        QImage image(device, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::transparent);
        cutting_ = control;
        control->render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
        cutting_ = nullptr;
        const QImage alpha = image.convertToFormat(QImage::Format_Alpha8);
        const AlphaImage pixels{{alpha.constBits(), static_cast<std::size_t>(alpha.sizeInBytes())},
                                alpha.width(), alpha.height(), static_cast<int>(alpha.bytesPerLine())};
        platform::cutOutOfWindow(control->internalWinId(),
                                 cornerCutouts(pixels, static_cast<int>(std::ceil(kCornerSize * ratio))));
    }
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
        // through would be black: those corners are cut out of their
        // windows, and the server shows the surface there.
        auto* child = static_cast<QChildEvent*>(event)->child();
        if (child->isWidgetType()) {
            auto* control = static_cast<QWidget*>(child);
            control->setAttribute(Qt::WA_NativeWindow);
            control->installEventFilter(this);
            cutCornersLater(control);
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
