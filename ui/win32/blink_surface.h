#pragma once

#include "core/colour.h"
#include "platform/win32/windows_api.h"

#include <array>

namespace varno::ui {

// The child window that blinks, and the parent of the controls on it. It
// clips its children, so repainting it never touches them; a flip is a
// brush swap and one fill of the surface, with brushes made only when the
// colours change. Its children's notifications go on to its parent, and a
// click on the surface itself reaches the parent as WM_COMMAND with the
// surface's id and BN_CLICKED.
class BlinkSurface {
public:
    BlinkSurface() = default;
    ~BlinkSurface();
    BlinkSurface(const BlinkSurface&) = delete;
    BlinkSurface& operator=(const BlinkSurface&) = delete;

    bool create(HWND parent, int id);
    HWND handle() const noexcept { return window_; }

    // The two colours a tick may show: their brushes are made here.
    void setColours(Colour colour1, Colour colour2);

    // Shows `colour` at once: repainted before this returns.
    void show(Colour colour);

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    HBRUSH brushFor(Colour colour);

    struct Slot {
        Colour colour = kSystemButtonFace;
        HBRUSH brush = nullptr;
    };
    // The two colours, and a third for a colour shown that is neither: one
    // that was replaced while it showed.
    std::array<Slot, 3> slots_{};
    HWND window_ = nullptr;
    HBRUSH shown_ = nullptr;
    bool pressed_ = false;
};

}  // namespace varno::ui
