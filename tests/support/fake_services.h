#pragma once

#include "platform/colour_chooser.h"
#include "platform/message_box.h"
#include "platform/settings_store.h"

#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace varno::testing_support {

class FakeSettingsStore : public platform::SettingsStore {
public:
    using Key = std::tuple<std::string, std::string, std::string>;

    std::string GetSetting(const std::string& app, const std::string& section, const std::string& key,
                           const std::string& defaultValue) override
    {
        auto it = values.find({app, section, key});
        return it == values.end() ? defaultValue : it->second;
    }

    bool SaveSetting(const std::string& app, const std::string& section, const std::string& key,
                     const std::string& value) override
    {
        ++writes;
        if (failWrites)
            return false;
        values[{app, section, key}] = value;
        return true;
    }

    std::map<Key, std::string> values;
    int writes = 0;
    bool failWrites = false;
};

class FakeColourChooser : public platform::ColourChooser {
public:
    std::optional<std::uint32_t> ShowColor(std::uint32_t current) override
    {
        shownWith.push_back(current);
        return answer;
    }

    std::optional<std::uint32_t> answer;  // nothing: the user cancels
    std::vector<std::uint32_t> shownWith;
};

class FakeMessageBox : public platform::MessageBox {
public:
    void Show(const std::string& prompt, int style) override { shown.emplace_back(prompt, style); }
    std::vector<std::pair<std::string, int>> shown;
};

}  // namespace varno::testing_support
