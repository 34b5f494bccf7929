#pragma once

// The main window's parts, found the way accessibility tools find them: by
// their object names.
#include "platform/qt/period_timer.h"
#include "support/fake_services.h"
#include "ui/qt/blink_surface.h"
#include "ui/qt/main_window.h"

#include <QAction>
#include <QPushButton>
#include <QScrollBar>
#include <gtest/gtest.h>

namespace varno::testing_support {

// The main window over fakes, its stored bounds read.
struct MainWindowUnderTest : FakeServices {
    ui::MainWindow window{services()};

    template <typename T = QWidget>
    T* part(const char* name)
    {
        T* found = window.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    ui::BlinkSurface* surface() { return part<ui::BlinkSurface>("Picture1"); }
    QScrollBar* periodBar() { return part<QScrollBar>("HScroll1"); }
    QPushButton* button(int n) { return part<QPushButton>(n == 1 ? "Command1" : "Command2"); }
    QAction* startStop() { return part<QAction>("mnuViewOptions"); }
    platform::PeriodTimer* timer() { return part<platform::PeriodTimer>("Timer1"); }
    // What the timer would do at its next expiry.
    Colour tick()
    {
        emit timer()->timeout();
        return surface()->colour();
    }
};

}  // namespace varno::testing_support
