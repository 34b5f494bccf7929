// Counts the heap allocations that 100 flips of the blinking surface make,
// once with the display server filling it and once with Qt painting it. Run
// on an X server or a Wayland compositor (bench/run.sh starts one of each);
// prints one line per path.
#include "support/main_window_parts.h"

#include <QApplication>
#include <QTest>

#include <cstdio>

// count_allocations.cpp
extern "C" void varno_count_allocations(int on);
extern "C" long varno_counted_allocations();

namespace {

long allocationsIn100Flips()
{
    varno::testing_support::MainWindowUnderTest w;
    w.window.setGeometry(0, 0, 700, 500);
    w.window.show();
    if (!QTest::qWaitForWindowExposed(&w.window))
        return -1;
    w.periodBar()->setValue(0);  // only the flips made here
    w.startStop()->trigger();
    varno::platform::PeriodTimer* timer = w.timer();
    emit timer->timeout();  // anything done once, the first time, is done now
    varno_count_allocations(1);
    for (int i = 0; i < 100; ++i)
        emit timer->timeout();
    varno_count_allocations(0);
    return varno_counted_allocations();
}

}  // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QByteArray platform = QGuiApplication::platformName().toUtf8();
    if (platform != "xcb" && !platform.startsWith("wayland")) {
        std::fprintf(stderr, "flip_allocations: needs an X server or a Wayland compositor\n");
        return 1;
    }
    std::printf("heap allocations in 100 flips on %s, server-filled: %ld\n", platform.constData(),
                allocationsIn100Flips());
    qputenv("VARNO_SURFACE", "raster");
    std::printf("heap allocations in 100 flips on %s, Qt-painted: %ld\n", platform.constData(),
                allocationsIn100Flips());
    return 0;
}
