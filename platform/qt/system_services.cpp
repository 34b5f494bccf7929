#include "platform/services.h"

#include "platform/posix/posix_file_query.h"
#include "platform/posix/reg_file_registry.h"
#include "platform/qt/qt_colour_chooser.h"
#include "platform/qt/qt_launcher.h"
#include "platform/qt/qt_message_box.h"
#include "platform/qt/qt_settings_store.h"

namespace varno::platform {

// Settings where Qt keeps them, and a registry file standing for the
// machine's registry.
struct SystemServices::Parts {
    QtSettingsStore settings;
    std::unique_ptr<RegFileRegistry> registry = RegFileRegistry::forThisMachine();
    PosixFileQuery fileQuery;
    QtLauncher launcher;
    QtMessageBox messageBox;
    QtColourChooser colourChooser;
};

SystemServices::SystemServices() : parts_(std::make_unique<Parts>()) {}

SystemServices::~SystemServices() = default;

Services SystemServices::services()
{
    return {parts_->settings, *parts_->registry, parts_->fileQuery, parts_->launcher, parts_->messageBox,
            parts_->colourChooser};
}

}  // namespace varno::platform
