#pragma once

#include "core/system_info.h"

#include <memory>

namespace varno {
class ColourChooser;
class FileQuery;
class Launcher;
class MessageBox;
class Registry;
class SettingsStore;
}  // namespace varno

namespace varno::platform {

// What the windows are given of the system: the real services in the
// program, fakes in tests.
struct Services {
    SettingsStore& settings;
    Registry& registry;
    FileQuery& fileQuery;
    Launcher& launcher;
    MessageBox& messageBox;
    ColourChooser& colourChooser;

    SystemInfoServices systemInfo() const { return {registry, fileQuery, launcher, messageBox}; }
};

// The real services of the system the program is built for; the build
// picks the one implementation.
class SystemServices {
public:
    SystemServices();
    ~SystemServices();
    SystemServices(const SystemServices&) = delete;
    SystemServices& operator=(const SystemServices&) = delete;

    Services services();

private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

}  // namespace varno::platform
