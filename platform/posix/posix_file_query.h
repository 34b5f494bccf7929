#pragma once

#include "core/ports/file_query.h"

namespace varno::platform {

// The file-existence query on a POSIX file system. A backslash in the path
// is a folder separator, so paths written the Windows way resolve; the
// last part may hold the wildcards * and ?. Attribute bits as Windows
// knows them: 0 finds ordinary files only, 2 adds hidden (dot) files, 16
// adds folders.
class PosixFileQuery final : public FileQuery {
public:
    std::string find(const std::string& path, int attributes) override;
};

}  // namespace varno::platform
