#include "core/command_line.h"
#include "ui/qt/application.h"
#include "ui/qt/main_window.h"
#include "platform/posix/termination_signals.h"
#include "platform/services.h"

#include <QApplication>

#include <algorithm>
#include <cstdio>
#include <string_view>
#include <vector>

namespace {

// 0 when the whole text reached the stream: `varno --help >/dev/full` fails.
int print(std::FILE* stream, const std::string& text)
{
    const bool written = std::fputs(text.c_str(), stream) >= 0 && std::fflush(stream) == 0;
    return written ? 0 : 1;
}

}  // namespace

int main(int argc, char* argv[])
{
    // Answered before any window system is touched: no display is needed.
    const std::vector<std::string_view> arguments(argv + std::min(argc, 1), argv + argc);
    const varno::CommandLine commandLine = varno::parseCommandLine(arguments);
    switch (commandLine.action) {
    case varno::CommandLine::Action::Help:
        return print(stdout, varno::helpText());
    case varno::CommandLine::Action::Version:
        return print(stdout, varno::versionText());
    case varno::CommandLine::Action::Refuse:
        print(stderr, commandLine.error + "\n");
        return varno::kUsageErrorStatus;
    case varno::CommandLine::Action::Run:
        break;
    }

    QApplication app(argc, argv);
    varno::ui::setUpApplication(app);
    varno::platform::TerminationSignals terminationSignals;

    varno::platform::SystemServices system;
    varno::ui::MainWindow window(system.services());
    window.readSettings();
    window.showMaximized();

    // SIGTERM and SIGINT close the window as its close box does, and
    // quitting any other way (the session ending) still stores the bounds.
    QObject::connect(&terminationSignals, &varno::platform::TerminationSignals::requested, &window,
                     &QWidget::close);
    QObject::connect(&app, &QApplication::aboutToQuit, &window, &varno::ui::MainWindow::unload);
    return QApplication::exec();
}
