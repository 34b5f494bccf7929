// The program's main window, driven from stdin instead of by a user's
// clicks: a headless compositor has no pointer to click with. bench/bench.py
// starts it under weston. Commands, one a line:
//   toggle  the start/stop item, as a click on the surface does
//   right   the scroll bar's right arrow; left: its left arrow
//   timing on, timing off  whether flips report their presentation (on at
//           first; asking for it costs the program and the compositor a little)
//   quit
// Prints "ready" once the window shows and every flip's fate as the
// compositor reports it: "presented NS" (its presentation clock) or
// "discarded". The server-filled surface reports its own flips; for Qt's
// painting this asks for the window's next commit after each tick.
#include "platform/qt/period_timer.h"
#include "platform/services.h"
#include "ui/qt/application.h"
#include "ui/qt/main_window.h"

#include "presentation-time-client-protocol.h"

#include <QAction>
#include <QLoggingCategory>
#include <QApplication>
#include <QScrollBar>
#include <QSocketNotifier>
#include <QTimer>
#include <QWindow>
#include <qpa/qplatformnativeinterface.h>

#include <wayland-client.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

void printLine(const char* line)
{
    std::fputs(line, stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void forwardPresentation(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (context.category && std::strcmp(context.category, "varno.surface.presentation") == 0)
        printLine(message.toUtf8().constData());
    else if (type != QtDebugMsg)
        std::fprintf(stderr, "%s\n", message.toUtf8().constData());
}

// Presentation feedback for the window's own surface, where Qt paints.
class WindowPresentation {
public:
    explicit WindowPresentation(QWindow* window) : window_(window)
    {
        QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
        display_ = static_cast<wl_display*>(native->nativeResourceForIntegration("wl_display"));
        if (!display_)
            return;
        wl_event_queue* queue = wl_display_create_queue(display_);
        auto* wrapper = static_cast<wl_display*>(wl_proxy_create_wrapper(display_));
        wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(wrapper), queue);
        wl_registry* registry = wl_display_get_registry(wrapper);
        wl_proxy_wrapper_destroy(wrapper);
        wl_registry_add_listener(registry, &kRegistryListener, this);
        wl_display_roundtrip_queue(display_, queue);
        wl_registry_destroy(registry);
        if (presentation_)
            wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(presentation_), nullptr);
        wl_event_queue_destroy(queue);
    }

    // For the window's next commit, which carries the flip just made.
    void requestForNextCommit()
    {
        auto* surface = static_cast<wl_surface*>(
            QGuiApplication::platformNativeInterface()->nativeResourceForWindow("surface", window_));
        if (!presentation_ || !surface)
            return;
        struct wp_presentation_feedback* feedback = wp_presentation_feedback(presentation_, surface);
        wp_presentation_feedback_add_listener(feedback, &kFeedbackListener, nullptr);
    }

private:
    static void onGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                         std::uint32_t)
    {
        if (std::strcmp(interface, wp_presentation_interface.name) == 0)
            static_cast<WindowPresentation*>(data)->presentation_ =
                static_cast<wp_presentation*>(wl_registry_bind(registry, name, &wp_presentation_interface, 1));
    }
    static void onGlobalRemoved(void*, wl_registry*, std::uint32_t) {}
    static void onPresented(void*, struct wp_presentation_feedback* feedback, std::uint32_t secondsHigh,
                            std::uint32_t secondsLow, std::uint32_t nanoseconds, std::uint32_t, std::uint32_t,
                            std::uint32_t, std::uint32_t)
    {
        const unsigned long long seconds = (static_cast<unsigned long long>(secondsHigh) << 32) | secondsLow;
        printLine(("presented " + std::to_string(seconds * 1000000000ull + nanoseconds)).c_str());
        wp_presentation_feedback_destroy(feedback);
    }
    static void onDiscarded(void*, struct wp_presentation_feedback* feedback)
    {
        printLine("discarded");
        wp_presentation_feedback_destroy(feedback);
    }
    static void onSyncOutput(void*, struct wp_presentation_feedback*, wl_output*) {}

    static constexpr wl_registry_listener kRegistryListener{onGlobal, onGlobalRemoved};
    static constexpr wp_presentation_feedback_listener kFeedbackListener{onSyncOutput, onPresented, onDiscarded};

    QWindow* window_;
    wl_display* display_ = nullptr;
    wp_presentation* presentation_ = nullptr;
};

}  // namespace

void reportPresentation(bool on)
{
    QLoggingCategory::setFilterRules(on ? QStringLiteral("varno.surface.presentation.debug=true")
                                        : QStringLiteral("varno.surface.presentation.debug=false"));
}

int main(int argc, char* argv[])
{
    const bool qtPaints = qEnvironmentVariable("VARNO_SURFACE") == QLatin1String("raster");
    bool timing = true;
    reportPresentation(timing);
    qInstallMessageHandler(forwardPresentation);
    QApplication app(argc, argv);
    varno::ui::setUpApplication(app);
    varno::platform::SystemServices system;
    varno::ui::MainWindow window(system.services());
    window.readSettings();
    window.showMaximized();

    auto* startStop = window.findChild<QAction*>(QStringLiteral("mnuViewOptions"));
    auto* periodBar = window.findChild<QScrollBar*>(QStringLiteral("HScroll1"));
    auto* timer = window.findChild<varno::platform::PeriodTimer*>(QStringLiteral("Timer1"));
    if (!startStop || !periodBar || !timer)
        return 2;
    std::unique_ptr<WindowPresentation> presentation;
    if (qtPaints) {
        presentation = std::make_unique<WindowPresentation>(window.windowHandle());
        // After the window's own handler: the flip is made, its paint to come.
        QObject::connect(timer, &varno::platform::PeriodTimer::timeout, &window, [&] {
            if (timing)
                presentation->requestForNextCommit();
        });
    }

    // Ready once the window shows and has settled.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &window, [&] {
        if (!window.windowHandle() || !window.windowHandle()->isExposed())
            return;
        poll.stop();
        QTimer::singleShot(1000, &window, [] { printLine("ready"); });
    });
    poll.start(20);

    std::string pending;
    QSocketNotifier commands(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&commands, &QSocketNotifier::activated, &window, [&] {
        char chunk[256];
        const ssize_t n = read(STDIN_FILENO, chunk, sizeof chunk);
        if (n <= 0) {
            window.close();
            return;
        }
        pending.append(chunk, std::size_t(n));
        for (std::size_t end; (end = pending.find('\n')) != std::string::npos; pending.erase(0, end + 1)) {
            const std::string command = pending.substr(0, end);
            if (command == "toggle")
                startStop->trigger();
            else if (command == "right")
                periodBar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
            else if (command == "left")
                periodBar->triggerAction(QAbstractSlider::SliderSingleStepSub);
            else if (command == "timing on" || command == "timing off")
                reportPresentation(timing = command == "timing on");
            else if (command == "quit")
                window.close();
        }
    });
    return QApplication::exec();
}
