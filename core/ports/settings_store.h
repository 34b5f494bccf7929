#pragma once

#include <string>
#include <utility>
#include <vector>

namespace varno {

// Per-user store of text values addressed by application, section and key.
class SettingsStore {
public:
    using Values = std::vector<std::pair<std::string, std::string>>;  // key, value

    virtual ~SettingsStore() = default;

    // `fallback` when the key is absent or the store cannot be read.
    virtual std::string read(const std::string& app, const std::string& section, const std::string& key,
                             const std::string& fallback) = 0;

    // Creates or replaces every value of `values` in one step: a reader
    // never sees some of them new and others old. False when they could not
    // be stored.
    virtual bool write(const std::string& app, const std::string& section, const Values& values) = 0;
};

}  // namespace varno
