#pragma once

#include <string>

namespace varno {

class FileQuery {
public:
    virtual ~FileQuery() = default;

    // The name of the file `path` names when an ordinary file exists there,
    // the empty text otherwise. Throws std::runtime_error for a malformed path.
    virtual std::string find(const std::string& path, int attributes) = 0;
};

}  // namespace varno
