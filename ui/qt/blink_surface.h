#pragma once

#include "core/colour.h"
#include "platform/qt/server_fill.h"

#include <QList>
#include <QPointer>
#include <QWidget>

#include <memory>

namespace varno::ui {

// The surface that blinks, and the parent of the controls on it. Where the
// display server can fill it itself (a window of its own on X11, a
// subsurface on Wayland), a flip costs the same at every size and Qt never
// paints it; elsewhere, or with VARNO_SURFACE=raster, Qt paints it.
class BlinkSurface : public QWidget {
    Q_OBJECT

public:
    explicit BlinkSurface(QWidget* parent = nullptr);
    ~BlinkSurface() override;

    Colour colour() const noexcept { return colour_; }
    void setColour(Colour colour);

    // How the display server paces this surface's changes on its refreshes;
    // null where nothing can, and a timer must.
    platform::RefreshPacing* pacing() const noexcept;

signals:
    void pacingChanged();
    // A press and release on the surface itself, not on a control on it.
    void clicked();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Null while the X server fills the surface (it is then painted on
    // screen, by the server): Qt never paints it.
    QPaintEngine* paintEngine() const override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void showFill();
    void attachX11Window();
    void fallBackToQtPainting();
    void cutCornersLater(QWidget* control);
    void cutCorners();

    Colour colour_ = kSystemButtonFace;
    QColor fill_;
    bool pressed_ = false;
    platform::FillPath path_ = platform::FillPath::QtPainting;
    std::unique_ptr<platform::ServerFill> serverFill_;
    // Controls whose corners are to be cut again, and the one being
    // rendered for it (painted over nothing).
    QList<QPointer<QWidget>> toCut_;
    QWidget* cutting_ = nullptr;
};

}  // namespace varno::ui
