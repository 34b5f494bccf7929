#pragma once

#include "main_window/alternation.h"

#include <QWidget>

namespace varno {

// The surface that blinks. It keeps its background as the program's 32-bit
// colour so the tick compares exactly what it wrote.
class Picture1 : public QWidget {
    Q_OBJECT

public:
    explicit Picture1(QWidget* parent = nullptr);

    Colour BackColor() const noexcept { return backColor_; }
    void SetBackColor(Colour colour);

signals:
    // A press and release on the surface itself, not on a control on it.
    void Click();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void UpdateFill();

    Colour backColor_ = kSysButtonFace;
    QColor fill_;
    bool pressed_ = false;
};

}  // namespace varno
