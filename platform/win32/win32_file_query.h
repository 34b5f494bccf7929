#pragma once

#include "core/ports/file_query.h"

namespace varno::platform::win32 {

// Attribute bits of the classic Dir query. With none of them set only
// ordinary files answer (read-only and archived ones included).
inline constexpr int kDirHidden = 2;
inline constexpr int kDirSystem = 4;
inline constexpr int kDirDirectory = 16;

class Win32FileQuery final : public FileQuery {
public:
    // `path` may hold the wildcards * and ?; the first match's name comes back.
    std::string find(const std::string& path, int attributes) override;
};

}  // namespace varno::platform::win32
