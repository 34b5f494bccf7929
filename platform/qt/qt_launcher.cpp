#include "qt_launcher.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QString>

#include <stdexcept>

namespace varno::platform {

void QtLauncher::start(const std::string& program, int windowStyle)
{
    (void)windowStyle;
    QString path = QString::fromStdString(program);
    path.replace(u'\\', u'/');
    if (path.isEmpty())
        throw std::runtime_error("no program to start");
    if (!path.contains(u'/')) {
        path = QStandardPaths::findExecutable(path);
        if (path.isEmpty())
            throw std::runtime_error("program not found: " + program);
    }
    // Checked here because a detached start reports only that it failed,
    // not why; the start itself still fails for a file that is no program.
    const QFileInfo info(path);
    if (!info.exists())
        throw std::runtime_error("program not found: " + program);
    if (!info.isFile() || !info.isExecutable())
        throw std::runtime_error("not a program: " + program);
    if (!QProcess::startDetached(info.absoluteFilePath(), {}))
        throw std::runtime_error("cannot start: " + program);
}

}  // namespace varno::platform
