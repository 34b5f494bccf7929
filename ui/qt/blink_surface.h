#pragma once

#include "core/colour.h"

#include <QWidget>

#include <memory>

namespace varno::platform {
class X11Surface;
}

namespace varno::ui {

// The surface that blinks, and the parent of the controls on it. On X11 it
// is a window of its own whose background the server fills, so a flip costs
// the same at every size; elsewhere Qt paints it.
class BlinkSurface : public QWidget {
    Q_OBJECT

public:
    explicit BlinkSurface(QWidget* parent = nullptr);
    ~BlinkSurface() override;

    Colour colour() const noexcept { return colour_; }
    void setColour(Colour colour);

signals:
    // A press and release on the surface itself, not on a control on it.
    void clicked();

protected:
    bool event(QEvent* event) override;
    // Null while the server fills the surface (it is then painted on
    // screen, by the server): Qt never paints it.
    QPaintEngine* paintEngine() const override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void showFill();
    void attachServerSurface();

    Colour colour_ = kSystemButtonFace;
    QColor fill_;
    bool pressed_ = false;
    bool serverSurfaceWanted_ = false;
    std::unique_ptr<platform::X11Surface> serverSurface_;
};

}  // namespace varno::ui
