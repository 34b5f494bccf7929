#include "Module1.h"

#include "main_window/frmMain.h"
#include "platform/qt_colour_chooser.h"
#include "platform/qt_message_box.h"

#ifdef _WIN32
#include "platform/win32/win32_file_query.h"
#include "platform/win32/win32_launcher.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_settings_store.h"
#else
#include "platform/posix_file_query.h"
#include "platform/qt_launcher.h"
#include "platform/qt_settings_store.h"
#include "platform/reg_file_registry.h"
#endif

namespace varno::Module1 {

namespace {

// The real services live as long as the main window. On Windows the
// settings, the registry and program launch are the system's own, so
// settings an older installation left behind are found.
struct Program {
#ifdef _WIN32
    platform::Win32SettingsStore settings;
    std::unique_ptr<platform::Registry> registry = std::make_unique<platform::Win32Registry>();
    platform::Win32FileQuery fileQuery;
    platform::Win32Launcher launcher;
#else
    platform::QtSettingsStore settings;
    std::unique_ptr<platform::Registry> registry = platform::RegFileRegistry::ForThisMachine();
    platform::PosixFileQuery fileQuery;
    platform::QtLauncher launcher;
#endif
    platform::QtColourChooser commonDialog1;
    platform::QtColourChooser commonDialog2;
    platform::QtMessageBox messageBox;
    std::unique_ptr<frmMain> mainForm;
};

std::unique_ptr<Program>& TheProgram()
{
    static std::unique_ptr<Program> program;
    return program;
}

}  // namespace

void Main()
{
    auto& program = TheProgram();
    program = std::make_unique<Program>();
    platform::Services services;
    services.settings = &program->settings;
    services.commonDialog1 = &program->commonDialog1;
    services.commonDialog2 = &program->commonDialog2;
    services.messageBox = &program->messageBox;
    services.registry = program->registry.get();
    services.fileQuery = &program->fileQuery;
    services.launcher = &program->launcher;
    program->mainForm = std::make_unique<frmMain>(services);

    program->mainForm->Form_Load();
    program->mainForm->showMaximized();
}

frmMain* MainForm()
{
    auto& program = TheProgram();
    return program ? program->mainForm.get() : nullptr;
}

void Shutdown()
{
    TheProgram().reset();
}

}  // namespace varno::Module1
