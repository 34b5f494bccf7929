#pragma once

#include "platform/file_query.h"
#include "platform/launcher.h"
#include "platform/registry.h"
#include "../support/fake_services.h"

#include <algorithm>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace varno::testing_support {

using RecordingMessageBox = FakeMessageBox;

// A registry whose values are set by the test and that records every open
// and close. It has the Windows API's manners: 0 is no handle, the data
// size goes in and out, and a value larger than the buffer gives "more
// data". Asking for write rights is refused when `readOnly` is set.
class ScriptedRegistry : public platform::Registry {
public:
    struct Value {
        std::uint32_t type;
        std::vector<unsigned char> data;
    };
    struct Open {
        platform::RegHandle root;
        std::string key;
        std::uint32_t access;
    };

    void Set(const std::string& key, const std::string& name, std::uint32_t type,
             std::vector<unsigned char> data)
    {
        values[key][name] = Value{type, std::move(data)};
    }
    void SetText(const std::string& key, const std::string& name, const std::string& text)
    {
        std::vector<unsigned char> data(text.begin(), text.end());
        data.push_back(0);
        Set(key, name, platform::kRegSz, std::move(data));
    }

    long OpenKey(platform::RegHandle root, const std::string& subKey, std::uint32_t,
                 std::uint32_t access, platform::RegHandle& handle) override
    {
        opens.push_back({root, subKey, access});
        handle = 0;
        if (readOnly && (access & 0x2u))
            return platform::kErrorAccessDenied;
        if (root != platform::kHKeyLocalMachine || !values.count(subKey))
            return platform::kErrorFileNotFound;
        handle = nextHandle++;
        openKeys[handle] = subKey;
        return platform::kErrorSuccess;
    }

    long QueryValue(platform::RegHandle handle, const std::string& name, std::uint32_t& type,
                    unsigned char* data, std::uint32_t& dataSize) override
    {
        const auto key = openKeys.find(handle);
        if (key == openKeys.end())
            return platform::kErrorInvalidHandle;
        const auto& named = values[key->second];
        const auto value = named.find(name);
        if (value == named.end())
            return platform::kErrorFileNotFound;
        type = value->second.type;
        const auto size = static_cast<std::uint32_t>(value->second.data.size());
        if (size > dataSize) {
            dataSize = size;
            return platform::kErrorMoreData;
        }
        std::copy(value->second.data.begin(), value->second.data.end(), data);
        dataSize = size;
        return platform::kErrorSuccess;
    }

    long CloseKey(platform::RegHandle handle) override
    {
        closes.push_back(handle);
        return openKeys.erase(handle) ? platform::kErrorSuccess : platform::kErrorInvalidHandle;
    }

    std::map<std::string, std::map<std::string, Value>> values;
    std::vector<Open> opens;
    std::vector<platform::RegHandle> closes;
    std::map<platform::RegHandle, std::string> openKeys;  // still open
    platform::RegHandle nextHandle = 0x40;
    bool readOnly = true;
};

class FakeFileQuery : public platform::FileQuery {
public:
    std::string Dir(const std::string& path, int attributes) override
    {
        asked.emplace_back(path, attributes);
        if (malformed)
            throw std::runtime_error("bad file name");
        if (!files.count(path))
            return {};
        const std::size_t cut = path.find_last_of("\\/");
        return cut == std::string::npos ? path : path.substr(cut + 1);
    }

    std::set<std::string> files;
    std::vector<std::pair<std::string, int>> asked;
    bool malformed = false;
};

// Starts only the programs it knows; anything else fails as a launch would.
class FakeLauncher : public platform::Launcher {
public:
    void Shell(const std::string& program, int windowStyle) override
    {
        tried.emplace_back(program, windowStyle);
        if (!programs.count(program))
            throw std::runtime_error("cannot start " + program);
        started.push_back(program);
    }

    std::set<std::string> programs;
    std::vector<std::pair<std::string, int>> tried;
    std::vector<std::string> started;
};

}  // namespace varno::testing_support
