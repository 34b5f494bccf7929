#pragma once

// The fakes of every port at once, as the windows take them.
#include "platform/services.h"
#include "support/fakes.h"

namespace varno::testing_support {

struct FakeServices {
    FakeSettingsStore settings;
    FakeColourChooser chooser;
    ScriptedRegistry registry;
    FakeFileQuery files;
    FakeLauncher launcher;
    FakeMessageBox messages;

    platform::Services services() { return {settings, registry, files, launcher, messages, chooser}; }
};

}  // namespace varno::testing_support
