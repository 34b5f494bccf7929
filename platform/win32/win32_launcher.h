#pragma once

#include "platform/launcher.h"

namespace varno::platform::win32 {

// CreateProcessW with the path as the application name, so the system never
// looks for a shorter program at a space ("C:\Program.exe" for
// "C:\Program Files\...").
class Win32Launcher : public Launcher {
public:
    void Shell(const std::string& program, int windowStyle) override;
};

}  // namespace varno::platform::win32
