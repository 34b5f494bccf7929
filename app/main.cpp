#include "Module1.h"
#include "app_info.h"
#include "main_window/frmMain.h"

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QLibraryInfo>
#include <QSocketNotifier>
#include <QTranslator>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

#ifdef Q_OS_UNIX
int signalPipe[2] = {-1, -1};

void OnTerminationSignal(int)
{
    const char byte = 1;
    // Only async-signal-safe work here: the event loop does the closing.
    [[maybe_unused]] auto written = ::write(signalPipe[1], &byte, 1);
}

// SIGTERM and SIGINT close the main window like its close box does, so the
// geometry is saved.
void CloseOnTerminationSignals(QApplication& app)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [] {
        char byte;
        [[maybe_unused]] auto got = ::read(signalPipe[0], &byte, 1);
        if (varno::frmMain* form = varno::Module1::MainForm())
            form->close();
        else
            QApplication::quit();
    });
    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}
#else
void CloseOnTerminationSignals(QApplication&) {}
#endif

void UseJapanese(QApplication& app)
{
    // Qt's own dialogs and buttons speak Japanese whatever the system locale.
    auto* translator = new QTranslator(&app);
    if (translator->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                         QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(translator);
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));

    // Japanese glyph shapes for kanji even where the locale would pick Chinese ones.
    QFont font = QApplication::font();
    font.setFamilies({QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAGothic"),
                      QStringLiteral("IPAPGothic"), QStringLiteral("VL Gothic"),
                      QStringLiteral("TakaoGothic"), QStringLiteral("Yu Gothic UI"),
                      QStringLiteral("Meiryo UI"), QStringLiteral("MS UI Gothic")});
    QApplication::setFont(font);
}

}  // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(varno::kAppTitle));
    QApplication::setApplicationVersion(QString::fromUtf8(varno::kVersionText));
    QApplication::setDesktopFileName(QStringLiteral("jp.zoruteka.varno"));
    QIcon icon(QStringLiteral(":/icons/varno.svg"));
    // The small sizes are drawn pixel by pixel: sharper than the SVG shrunk.
    icon.addFile(QStringLiteral(":/icons/varno-16.png"), QSize(16, 16));
    icon.addFile(QStringLiteral(":/icons/varno.png"), QSize(32, 32));
    QApplication::setWindowIcon(icon);
    UseJapanese(app);
    CloseOnTerminationSignals(app);

    varno::Module1::Main();
    // Quitting some other way (the session ending) still saves the geometry.
    QObject::connect(&app, &QApplication::aboutToQuit, [] {
        if (varno::frmMain* form = varno::Module1::MainForm())
            form->Form_Unload();
    });
    const int result = QApplication::exec();
    varno::Module1::Shutdown();
    return result;
}
