#pragma once

#include <string>

namespace varno {

// Window styles of a launched program; 1 is a normal, activated window.
inline constexpr int kNormalFocus = 1;

class Launcher {
public:
    virtual ~Launcher() = default;

    // Starts `program` as a separate process and does not wait for it. The
    // whole text is the program's path: it is never split at spaces nor
    // handed to a shell. Throws std::runtime_error when it cannot be started.
    virtual void start(const std::string& program, int windowStyle) = 0;
};

}  // namespace varno
