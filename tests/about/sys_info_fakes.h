#pragma once

#include "platform/file_query.h"
#include "platform/launcher.h"
#include "platform/registry.h"
#include "../support/fake_services.h"

#include <algorithm>
#include <map>
#include <set>
#include <stdexcept>
#include <vector>

namespace varno::testing_support {

// Keys under HKEY_LOCAL_MACHINE as the test sets them; records every open
// (key, access) and close. The data size goes in and out as in the Windows
// API; the nth open gets the handle 0x40 + n.
struct ScriptedRegistry : platform::Registry {
    struct Value { std::uint32_t type; std::vector<unsigned char> data; };
    long OpenKey(platform::RegHandle root, const std::string& key, std::uint32_t, std::uint32_t access,
                 platform::RegHandle& handle) override
    {
        opens.emplace_back(key, access);
        const bool found = root == platform::kHKeyLocalMachine && values.count(key);
        handle = found ? 0x40 + opens.size() - 1 : 0;
        return found ? platform::kErrorSuccess : platform::kErrorFileNotFound;
    }
    long QueryValue(platform::RegHandle handle, const std::string& name, std::uint32_t& type,
                    unsigned char* data, std::uint32_t& size) override
    {
        auto& named = values[opens.at(handle - 0x40).first];
        if (!named.count(name))
            return platform::kErrorFileNotFound;
        const Value& value = named[name];
        const bool fits = value.data.size() <= size;
        type = value.type;
        size = static_cast<std::uint32_t>(value.data.size());
        std::copy_n(value.data.begin(), fits ? size : 0, data);
        return fits ? platform::kErrorSuccess : platform::kErrorMoreData;
    }
    long CloseKey(platform::RegHandle handle) override
    {
        closes.push_back(handle);
        return platform::kErrorSuccess;
    }

    std::map<std::string, std::map<std::string, Value>> values;  // key → name → value
    std::vector<std::pair<std::string, std::uint32_t>> opens;
    std::vector<platform::RegHandle> closes;
};

inline ScriptedRegistry::Value Sz(const std::string& text)
{
    return {platform::kRegSz, {text.c_str(), text.c_str() + text.size() + 1}};
}

// Knows the ordinary files in `files` (attributes 0).
struct FakeFileQuery : platform::FileQuery {
    std::string Dir(const std::string& path, int attributes) override
    {
        return attributes == 0 && files.count(path) ? path : "";
    }
    std::set<std::string> files;
};

// Starts only the programs it knows; anything else fails as a launch would.
struct FakeLauncher : platform::Launcher {
    void Shell(const std::string& program, int windowStyle) override
    {
        tried.emplace_back(program, windowStyle);
        if (!programs.count(program))
            throw std::runtime_error("cannot start " + program);
    }
    std::set<std::string> programs;
    std::vector<std::pair<std::string, int>> tried;
};

}  // namespace varno::testing_support
