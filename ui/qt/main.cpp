#include "ui/qt/application.h"
#include "ui/qt/main_window.h"
#include "platform/posix/termination_signals.h"
#include "platform/services.h"

#include <QApplication>

int main(int argc, char* argv[])
{
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
