#pragma once

#include "core/system_info.h"
#include "platform/win32/windows_api.h"
#include "ui/win32/ui_font.h"

namespace varno::ui {

// The modal About dialog from the dialog resource: title, version, the
// warning, and a button that starts the system information tool. Placed in
// twips through the dialog's DPI; a text that needs more room than its
// design width gets it on its one line, and the buttons and the dialog
// move aside for it, so nothing is ever cut off.
class AboutDialog {
public:
    explicit AboutDialog(const SystemInfoServices& services) : services_(services) {}
    ~AboutDialog();
    AboutDialog(const AboutDialog&) = delete;
    AboutDialog& operator=(const AboutDialog&) = delete;

    // Returns when the dialog has been closed.
    void showModal(HWND owner);

    // Closes the dialog if it is open (the main window is going).
    void close();

private:
    static INT_PTR CALLBACK procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR handle(UINT message, WPARAM wParam, LPARAM lParam);
    void initialise();
    void layOut(UINT dpi);
    void centreOnScreen();
    void paintRule(HDC dc) const;
    HBRUSH colourStatic(HDC dc, HWND control) const;

    SystemInfoServices services_;
    HWND dialog_ = nullptr;
    HWND owner_ = nullptr;
    UiFont font_;
    HBRUSH iconBackground_ = nullptr;
    HICON icon_ = nullptr;
    UINT dpi_ = 96;
};

}  // namespace varno::ui
