#pragma once

#include "platform/win32/windows_api.h"

namespace varno::ui {

// The font every control of the program uses: a Japanese UI face where one
// is installed, at 9 points for the window's DPI. Owns its handle.
class UiFont {
public:
    UiFont() = default;
    ~UiFont();
    UiFont(const UiFont&) = delete;
    UiFont& operator=(const UiFont&) = delete;

    // Made anew for `dpi` and given to every child window of `parent`, at
    // any depth; the old handle is released only then.
    void update(UINT dpi, HWND parent);
    HFONT handle() const noexcept { return font_; }

private:
    HFONT font_ = nullptr;
};

}  // namespace varno::ui
