#pragma once

#include "core/ports/launcher.h"

namespace varno::platform::win32 {

// CreateProcessW with the path as the application name, so the system never
// looks for a shorter program at a space ("C:\Program.exe" for
// "C:\Program Files\..."). Only an executable image is started: a batch
// file (which the system hands to cmd.exe) or anything else is refused,
// with the reason as a debugger line and in the exception.
class Win32Launcher final : public Launcher {
public:
    void start(const std::string& program, int windowStyle) override;
};

}  // namespace varno::platform::win32
