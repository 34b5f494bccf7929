#pragma once

#include "core/ports/launcher.h"

namespace varno::platform {

// Starts programs as detached processes. The whole text is the program: no
// arguments, no shell. A backslash is a folder separator; a name without
// any folder is looked up in PATH. The window style has no counterpart on
// this system and is left to the window manager.
class QtLauncher final : public Launcher {
public:
    void start(const std::string& program, int windowStyle) override;
};

}  // namespace varno::platform
