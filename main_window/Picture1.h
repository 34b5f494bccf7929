#pragma once

#include "main_window/alternation.h"

#include <QWidget>
#include <memory>

namespace varno {

class X11Surface;

// The surface that blinks. It keeps its background as the program's 32-bit
// colour so the tick compares exactly what it wrote.
class Picture1 : public QWidget {
    Q_OBJECT

public:
    explicit Picture1(QWidget* parent = nullptr);
    ~Picture1() override;

    Colour BackColor() const noexcept { return backColor_; }
    void SetBackColor(Colour colour);

    // On X11 the server fills the surface itself, so a flip costs the same
    // at every window size; elsewhere Qt paints it.
    bool UsesServerSurface() const noexcept { return surface_ != nullptr; }

signals:
    // A press and release on the surface itself, not on a control on it.
    void Click();

protected:
    bool event(QEvent* event) override;
    QPaintEngine* paintEngine() const override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void UpdateFill();
    void ShowFill();
    void AttachSurface();

    Colour backColor_ = kSysButtonFace;
    QColor fill_;
    bool pressed_ = false;
    bool serverSurfaceWanted_ = false;
    std::unique_ptr<X11Surface> surface_;
};

}  // namespace varno
