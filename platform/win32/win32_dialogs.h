#pragma once

#include "core/ports/colour_chooser.h"
#include "core/ports/message_box.h"
#include "core/colour.h"

#include <array>

namespace varno::platform::win32 {

// The system's colour dialog, owned by the window that is active when it
// opens. Custom colours the user mixes are kept for the next opening.
class Win32ColourChooser final : public ColourChooser {
public:
    std::optional<Colour> choose(Colour current) override;

private:
    std::array<unsigned long, 16> customColours_{};
};

// MessageBoxW titled with the program's title, modal to the active window.
class Win32MessageBox final : public MessageBox {
public:
    void show(const std::string& prompt, int style) override;
};

}  // namespace varno::platform::win32
