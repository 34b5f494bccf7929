#pragma once

#include "core/alternation.h"
#include "core/window_geometry.h"
#include "platform/services.h"
#include "platform/win32/period_timer.h"
#include "platform/win32/tick_log.h"
#include "platform/win32/windows_api.h"
#include "ui/win32/about_dialog.h"
#include "ui/win32/blink_surface.h"
#include "ui/win32/period_bar.h"
#include "ui/win32/ui_font.h"

#include <memory>

namespace varno::ui {

// The maximised window that blinks: window messages in, the alternation and
// the stored bounds out.
class MainWindow {
public:
    explicit MainWindow(const platform::Services& services);
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Makes the window and shows it maximised, its restored bounds those
    // stored at the last close. False when the system refused.
    bool open();

    // Keys the window takes before the focused control sees them: Tab and
    // Shift+Tab through surface, scroll bar and buttons, Esc to stop.
    bool preTranslate(const MSG& message);

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    bool buildControls();
    void buildMenus();
    void layOut();
    void restoreBounds();
    // When the session ends nobody is left to read a message box.
    void unload(bool sessionEnding = false);
    void toggleBlinking();
    void stopBlinking();
    void showCaption();
    void updateTimer();
    void flip(WPARAM due, LPARAM woke);
    void finishLog();
    void followMonitor();
    void chooseColour(int which);
    void setPeriod(int milliseconds);
    void showAbout();
    void moveFocus(bool backwards);
    UINT dpi() const;

    platform::Services services_;
    Alternation alternation_;
    StoredBounds loadedBounds_;
    HWND window_ = nullptr;
    HMENU viewMenu_ = nullptr;
    BlinkSurface surface_;
    PeriodBar periodBar_;
    HWND colour1Button_ = nullptr;
    HWND colour2Button_ = nullptr;
    HWND lastFocus_ = nullptr;
    UiFont font_;
    AboutDialog about_;
    std::unique_ptr<platform::win32::PeriodTimer> timer_;
    platform::win32::TickLog tickLog_;
    HMONITOR monitor_ = nullptr;
    bool unloaded_ = false;
};

}  // namespace varno::ui
