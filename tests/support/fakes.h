#pragma once

// Stand-ins for the core's ports: they record what is asked of them and
// answer as each test sets them up.
#include "core/ports/colour_chooser.h"
#include "core/ports/file_query.h"
#include "core/ports/launcher.h"
#include "core/ports/message_box.h"
#include "core/ports/registry.h"
#include "core/ports/settings_store.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

namespace varno::testing_support {

struct FakeSettingsStore : SettingsStore {
    std::string read(const std::string& app, const std::string& section, const std::string& key,
                     const std::string& fallback) override
    {
        const auto it = values.find({app, section, key});
        return it == values.end() ? fallback : it->second;
    }
    bool write(const std::string& app, const std::string& section, const Values& written) override
    {
        ++writes;
        if (failWrites)
            return false;
        for (const auto& [key, value] : written)
            values[{app, section, key}] = value;
        return true;
    }

    std::map<std::tuple<std::string, std::string, std::string>, std::string> values;  // app, section, key
    int writes = 0;
    bool failWrites = false;
};

struct FakeColourChooser : ColourChooser {
    std::optional<Colour> choose(Colour current) override
    {
        shownWith.push_back(current);
        return answer;
    }
    std::optional<Colour> answer;  // nothing: the user cancels
    std::vector<Colour> shownWith;
};

using Calls = std::vector<std::pair<std::string, int>>;

struct FakeMessageBox : MessageBox {
    void show(const std::string& prompt, int style) override { shown.emplace_back(prompt, style); }
    Calls shown;
};

// Keys under HKEY_LOCAL_MACHINE as the test sets them; records every open
// (key, access) and close. The data size goes in and out as in the Windows
// API; the nth open gets the handle 0x40 + n.
struct ScriptedRegistry : Registry {
    struct Value {
        std::uint32_t type;
        std::vector<unsigned char> data;
    };
    long openKey(RegHandle root, const std::string& key, std::uint32_t, std::uint32_t access,
                 RegHandle& handle) override
    {
        opens.emplace_back(key, access);
        const bool found = root == kHKeyLocalMachine && values.count(key);
        handle = found ? 0x40 + opens.size() - 1 : 0;
        return found ? kErrorSuccess : kErrorFileNotFound;
    }
    long queryValue(RegHandle handle, const std::string& name, std::uint32_t& type, unsigned char* data,
                    std::uint32_t& size) override
    {
        auto& named = values[opens.at(handle - 0x40).first];
        if (!named.count(name))
            return kErrorFileNotFound;
        const Value& value = named[name];
        const bool fits = value.data.size() <= size;
        type = value.type;
        size = static_cast<std::uint32_t>(value.data.size());
        std::copy_n(value.data.begin(), fits ? size : 0, data);
        return fits ? kErrorSuccess : kErrorMoreData;
    }
    long closeKey(RegHandle handle) override
    {
        closes.push_back(handle);
        return kErrorSuccess;
    }

    std::map<std::string, std::map<std::string, Value>> values;  // key → name → value
    std::vector<std::pair<std::string, std::uint32_t>> opens;
    std::vector<RegHandle> closes;
};

inline ScriptedRegistry::Value Sz(const std::string& text)
{
    return {kRegSz, {text.c_str(), text.c_str() + text.size() + 1}};
}

// Knows the ordinary files in `files` (attributes 0).
struct FakeFileQuery : FileQuery {
    std::string find(const std::string& path, int attributes) override
    {
        return attributes == 0 && files.count(path) ? path : "";
    }
    std::set<std::string> files;
};

// Starts only the programs it knows; anything else fails as a launch would.
struct FakeLauncher : Launcher {
    void start(const std::string& program, int windowStyle) override
    {
        tried.emplace_back(program, windowStyle);
        if (!programs.count(program))
            throw std::runtime_error("cannot start " + program);
    }
    std::set<std::string> programs;
    Calls tried;
};

}  // namespace varno::testing_support
