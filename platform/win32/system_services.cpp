#include "platform/services.h"

#include "platform/win32/win32_dialogs.h"
#include "platform/win32/win32_file_query.h"
#include "platform/win32/win32_launcher.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_settings_store.h"

namespace varno::platform {

// Settings at the classic place under HKEY_CURRENT_USER, the machine's own
// registry, and the system's dialogs.
struct SystemServices::Parts {
    win32::Win32SettingsStore settings;
    win32::Win32Registry registry;
    win32::Win32FileQuery fileQuery;
    win32::Win32Launcher launcher;
    win32::Win32MessageBox messageBox;
    win32::Win32ColourChooser colourChooser;
};

SystemServices::SystemServices() : parts_(std::make_unique<Parts>()) {}

SystemServices::~SystemServices() = default;

Services SystemServices::services()
{
    return {parts_->settings, parts_->registry, parts_->fileQuery, parts_->launcher, parts_->messageBox,
            parts_->colourChooser};
}

}  // namespace varno::platform
