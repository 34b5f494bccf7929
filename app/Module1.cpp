#include "Module1.h"

#include "main_window/frmMain.h"
#include "platform/posix_file_query.h"
#include "platform/qt_colour_chooser.h"
#include "platform/qt_launcher.h"
#include "platform/qt_message_box.h"
#include "platform/qt_settings_store.h"
#include "platform/reg_file_registry.h"

namespace varno::Module1 {

namespace {

// The real services live as long as the main window.
struct Program {
    platform::QtSettingsStore settings;
    platform::QtColourChooser commonDialog1;
    platform::QtColourChooser commonDialog2;
    platform::QtMessageBox messageBox;
    std::unique_ptr<platform::RegFileRegistry> registry = platform::RegFileRegistry::ForThisMachine();
    platform::PosixFileQuery fileQuery;
    platform::QtLauncher launcher;
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
