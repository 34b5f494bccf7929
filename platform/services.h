#pragma once

namespace varno::platform {

class SettingsStore;
class ColourChooser;
class MessageBox;
class Registry;
class FileQuery;
class Launcher;

// What the windows are given of the platform; the program owns the real
// ones, tests hand in fakes.
struct Services {
    SettingsStore* settings = nullptr;
    ColourChooser* commonDialog1 = nullptr;
    ColourChooser* commonDialog2 = nullptr;
    MessageBox* messageBox = nullptr;
    Registry* registry = nullptr;
    FileQuery* fileQuery = nullptr;
    Launcher* launcher = nullptr;
};

}  // namespace varno::platform
