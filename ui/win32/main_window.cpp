#include "main_window.h"

#include "app_info.h"
#include "core/main_window_design.h"
#include "core/ports/colour_chooser.h"
#include "core/ports/message_box.h"
#include "core/twips.h"
#include "platform/win32/debug_line.h"
#include "platform/win32/text_conversion.h"
#include "ui/win32/resource_ids.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

namespace varno::ui {

namespace {

constexpr const wchar_t* kClassName = L"VarnoMainWindow";
constexpr UINT kTickMessage = WM_APP + 1;
constexpr UINT_PTR kTipTimer = 1;
constexpr const char* kNotSavedMessage = "ウィンドウの位置と大きさを保存できませんでした";

std::wstring wide(const std::string& utf8)
{
    return platform::win32::utf8ToWide(utf8).value_or(L"");
}

PixelRect toPixelRect(const RECT& r)
{
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

// Window placements are in workspace coordinates: screen coordinates less
// the place where the primary monitor's work area starts.
POINT workspaceOrigin()
{
    MONITORINFO primary{};
    primary.cbSize = sizeof primary;
    GetMonitorInfoW(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &primary);
    return {primary.rcWork.left - primary.rcMonitor.left, primary.rcWork.top - primary.rcMonitor.top};
}

std::vector<PixelRect> workAreas()
{
    std::vector<PixelRect> areas;
    EnumDisplayMonitors(
        nullptr, nullptr,
        [](HMONITOR monitor, HDC, LPRECT, LPARAM list) -> BOOL {
            MONITORINFO info{};
            info.cbSize = sizeof info;
            GetMonitorInfoW(monitor, &info);
            auto& found = *reinterpret_cast<std::vector<PixelRect>*>(list);
            // The primary one first.
            const PixelRect area = toPixelRect(info.rcWork);
            if (info.dwFlags & MONITORINFOF_PRIMARY)
                found.insert(found.begin(), area);
            else
                found.push_back(area);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&areas));
    return areas;
}

}  // namespace

MainWindow::MainWindow(const platform::Services& services)
    : services_(services), about_(services.systemInfo()), tickLog_(platform::win32::TickLog::fromEnvironment())
{
}

MainWindow::~MainWindow()
{
    // The timer's thread posts to the window: it goes first.
    timer_.reset();
    if (window_)
        DestroyWindow(window_);
}

bool MainWindow::open()
{
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW frame{};
    frame.cbSize = sizeof frame;
    frame.lpfnWndProc = &MainWindow::procedure;
    frame.hInstance = instance;
    frame.hIcon = LoadIconW(instance, L"IDI_ICON1");
    frame.hIconSm = static_cast<HICON>(LoadImageW(instance, L"IDI_ICON1", IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                  GetSystemMetrics(SM_CYSMICON), 0));
    frame.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    // Where the client area reaches beyond the surface: the active border colour.
    frame.hbrBackground = GetSysColorBrush(COLOR_ACTIVEBORDER);
    frame.lpszClassName = kClassName;
    if (!RegisterClassExW(&frame) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return false;
    if (!CreateWindowExW(0, kClassName, wide(kAppTitle).c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, this))
        return false;
    restoreBounds();
    return true;
}

LRESULT CALLBACK MainWindow::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->window_ = window;
    }
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return self ? self->handle(message, wParam, lParam) : DefWindowProcW(window, message, wParam, lParam);
}

LRESULT MainWindow::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        buildMenus();
        return buildControls() ? 0 : -1;
    case WM_SIZE:
        layOut();
        return 0;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDM_VIEWOPTIONS:
        case IDC_PICTURE1: toggleBlinking(); return 0;
        case IDC_COMMAND1: chooseColour(1); return 0;
        case IDC_COMMAND2: chooseColour(2); return 0;
        case IDM_HELPABOUT: showAbout(); return 0;
        }
        break;
    case WM_HSCROLL:
        if (reinterpret_cast<HWND>(lParam) == periodBar_.handle()) {
            periodBar_.setRefreshRate(timer_->timing().rate);
            if (const auto value = periodBar_.scroll(wParam))
                setPeriod(*value);
            return 0;
        }
        break;
    case WM_TIMER:
        if (wParam == kTipTimer) {
            periodBar_.hideTip();
            return 0;
        }
        break;
    case kTickMessage:
        flip(wParam, lParam);
        return 0;
    case WM_ACTIVATE:
        // The focused control comes back with the window, as in a dialog.
        if (LOWORD(wParam) == WA_INACTIVE) {
            if (HWND focused = GetFocus(); focused && IsChild(window_, focused))
                lastFocus_ = focused;
        }
        break;
    case WM_SETFOCUS:
        SetFocus(lastFocus_ && IsWindow(lastFocus_) ? lastFocus_ : surface_.handle());
        return 0;
    case WM_DPICHANGED: {
        const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
        font_.update(HIWORD(wParam), window_);
        SetWindowPos(window_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        layOut();
        // Most likely another monitor, with a refresh of its own.
        if (timer_)
            timer_->retime();
        return 0;
    }
    case WM_DISPLAYCHANGE:
        // A new mode may bring a new refresh rate.
        if (timer_)
            timer_->retime();
        break;
    case WM_MOVE:
        followMonitor();
        break;
    case WM_CLOSE:
        unload();
        DestroyWindow(window_);
        return 0;
    case WM_ENDSESSION:
        if (wParam)
            unload(true);
        return 0;
    case WM_DESTROY:
        finishLog();
        timer_.reset();
        PostQuitMessage(0);
        return 0;
    case WM_NCDESTROY:
        window_ = nullptr;
        break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

void MainWindow::buildMenus()
{
    HMENU bar = CreateMenu();
    viewMenu_ = CreatePopupMenu();
    AppendMenuW(viewMenu_, MF_STRING, IDM_VIEWOPTIONS, wide(alternation_.startStopCaption()).c_str());
    // Designed in, never wired to anything.
    AppendMenuW(viewMenu_, MF_STRING | MF_GRAYED, IDM_VIEWBROWSER, wide(main_window::kBrowserItem).c_str());
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(viewMenu_), wide(main_window::kViewMenu).c_str());
    HMENU help = CreatePopupMenu();
    AppendMenuW(help, MF_STRING, IDM_HELPABOUT, wide(main_window::kAboutItem).c_str());
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(help), wide(main_window::kHelpMenu).c_str());
    SetMenu(window_, bar);
}

bool MainWindow::buildControls()
{
    if (!surface_.create(window_, IDC_PICTURE1))
        return false;
    surface_.setColours(alternation_.colour1(), alternation_.colour2());
    // Created in tab order: scroll bar, then the two buttons.
    if (!periodBar_.create(surface_.handle(), IDC_HSCROLL1, window_, kTipTimer))
        return false;
    const auto makeButton = [this](const char* caption, int id) {
        return CreateWindowExW(0, L"BUTTON", wide(caption).c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                               0, 0, 0, 0, surface_.handle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               GetModuleHandleW(nullptr), nullptr);
    };
    colour1Button_ = makeButton(main_window::kColour1Button, IDC_COMMAND1);
    colour2Button_ = makeButton(main_window::kColour2Button, IDC_COMMAND2);
    if (!colour1Button_ || !colour2Button_)
        return false;
    font_.update(dpi(), window_);
    timer_ = std::make_unique<platform::win32::PeriodTimer>(window_, kTickMessage);
    monitor_ = MonitorFromWindow(window_, MONITOR_DEFAULTTONEAREST);
    return true;
}

UINT MainWindow::dpi() const
{
    return GetDpiForWindow(window_);
}

void MainWindow::layOut()
{
    if (!surface_.handle())
        return;
    const UINT windowDpi = dpi();
    const auto px = [windowDpi](int twips) { return twipsToPixels(twips, windowDpi); };
    // The surface covers the whole client area, starting beyond its
    // top-left corner so that its edge stays out of view.
    RECT client;
    GetClientRect(window_, &client);
    const int offset = px(main_window::kSurfaceOffset);
    MoveWindow(surface_.handle(), -offset, -offset, client.right + offset, client.bottom + offset, TRUE);

    const auto place = [&](HWND control, const DesignRect& d) {
        int width = px(d.width);
        // A caption in a large font may need more than the design width.
        wchar_t text[64];
        const int length = GetWindowTextW(control, text, static_cast<int>(std::size(text)));
        if (control != periodBar_.handle() && length > 0) {
            HDC dc = GetDC(control);
            HGDIOBJ old = SelectObject(dc, font_.handle());
            SIZE needed{};
            GetTextExtentPoint32W(dc, text, length, &needed);
            SelectObject(dc, old);
            ReleaseDC(control, dc);
            width = std::max(width, static_cast<int>(needed.cx) + 2 * GetSystemMetricsForDpi(SM_CXEDGE, windowDpi) +
                                        px(120));
        }
        MoveWindow(control, px(d.left), px(d.top), width, px(d.height), TRUE);
    };
    place(periodBar_.handle(), main_window::kPeriodBar);
    place(colour1Button_, main_window::kColour1ButtonRect);
    place(colour2Button_, main_window::kColour2ButtonRect);
}

void MainWindow::restoreBounds()
{
    loadedBounds_ = readStoredBounds(services_.settings);
    const UINT windowDpi = dpi();
    const PixelRect r = keepOnScreen(toPixels(loadedBounds_, {double(windowDpi), double(windowDpi)}), workAreas());
    const POINT origin = workspaceOrigin();
    // Not shown yet: these become the restored bounds, and the window opens
    // maximised over them.
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    placement.showCmd = SW_SHOWMAXIMIZED;
    placement.rcNormalPosition = {r.x - origin.x, r.y - origin.y, r.x - origin.x + r.width, r.y - origin.y + r.height};
    SetWindowPlacement(window_, &placement);
}

void MainWindow::unload(bool sessionEnding)
{
    if (unloaded_)
        return;
    unloaded_ = true;
    timer_->stop();
    // Every other window goes with the main window.
    about_.close();

    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (!GetWindowPlacement(window_, &placement) || IsIconic(window_))
        return;
    // The restored bounds, also when closed maximised: the user's own size survives.
    const POINT origin = workspaceOrigin();
    RECT normal = placement.rcNormalPosition;
    OffsetRect(&normal, origin.x, origin.y);
    const UINT windowDpi = dpi();
    const StoredBounds bounds =
        boundsToStore(toPixelRect(normal), {double(windowDpi), double(windowDpi)}, loadedBounds_);
    if (!writeStoredBounds(services_.settings, bounds)) {
        platform::win32::debugLine("varno: could not save the window position and size");
        if (!sessionEnding)
            services_.messageBox.show(kNotSavedMessage, kMessageOkOnly);
    }
}

void MainWindow::toggleBlinking()
{
    alternation_.toggle();
    showCaption();
    updateTimer();
}

void MainWindow::stopBlinking()
{
    if (!alternation_.stop())
        return;
    showCaption();
    updateTimer();
}

void MainWindow::showCaption()
{
    ModifyMenuW(viewMenu_, IDM_VIEWOPTIONS, MF_BYCOMMAND | MF_STRING, IDM_VIEWOPTIONS,
                wide(alternation_.startStopCaption()).c_str());
}

void MainWindow::updateTimer()
{
    // Stopped, nothing wakes; a start brings the first change a period later.
    if (!alternation_.wantsTicks()) {
        timer_->stop();
        finishLog();
    } else if (!timer_->isActive()) {
        timer_->start(alternation_.periodMs());
    }
}

void MainWindow::flip(WPARAM due, LPARAM woke)
{
    const RefreshAim aim = timer_->aim();
    timer_->acknowledge();
    const auto colour = alternation_.tick();
    if (!colour)
        return;  // a tick already on its way when the blinking stopped
    surface_.show(*colour);
    if (tickLog_.enabled())
        tickLog_.record(static_cast<ClockTime>(due), static_cast<ClockTime>(woke), platform::win32::PeriodTimer::now(),
                        timer_->takeSkipped(), aim);
}

void MainWindow::finishLog()
{
    if (!tickLog_.enabled() || !timer_)
        return;
    // Nothing reports the refresh a GDI fill reached: the times are the
    // refresh clock's predictions.
    const platform::win32::RefreshTiming timing = timer_->timing();
    tickLog_.finish(timing.rate, timing.known() ? RefreshSource::Dwm : RefreshSource::Unknown,
                    timing.known() ? Timestamps::Predicted : Timestamps::None);
}

void MainWindow::followMonitor()
{
    if (!timer_)
        return;
    // Only a move onto another monitor can change the refresh.
    HMONITOR monitor = MonitorFromWindow(window_, MONITOR_DEFAULTTONEAREST);
    if (monitor != monitor_) {
        monitor_ = monitor;
        timer_->retime();
    }
}

void MainWindow::chooseColour(int which)
{
    const Colour current = which == 1 ? alternation_.colour1() : alternation_.colour2();
    // Cancelled, the colour stays.
    const Colour colour = services_.colourChooser.choose(current).value_or(current);
    if (which == 1)
        alternation_.setColour1(colour);
    else
        alternation_.setColour2(colour);
    surface_.setColours(alternation_.colour1(), alternation_.colour2());
}

void MainWindow::setPeriod(int milliseconds)
{
    alternation_.setPeriodMs(milliseconds);
    // While blinking, the new period counts from the last change.
    if (alternation_.wantsTicks() && timer_->isActive())
        timer_->start(alternation_.periodMs());
    else
        updateTimer();
}

void MainWindow::showAbout()
{
    about_.showModal(window_);
}

void MainWindow::moveFocus(bool backwards)
{
    const HWND order[] = {surface_.handle(), periodBar_.handle(), colour1Button_, colour2Button_};
    const HWND* current = std::find(std::begin(order), std::end(order), GetFocus());
    const int count = static_cast<int>(std::size(order));
    int index = current == std::end(order) ? (backwards ? 0 : count - 1) : static_cast<int>(current - order);
    index = (index + (backwards ? count - 1 : 1)) % count;
    SetFocus(order[index]);
}

bool MainWindow::preTranslate(const MSG& message)
{
    if (message.message != WM_KEYDOWN || !window_ ||
        (message.hwnd != window_ && !IsChild(window_, message.hwnd)))
        return false;
    if (message.wParam == VK_TAB) {
        moveFocus(GetKeyState(VK_SHIFT) < 0);
        return true;
    }
    if (message.wParam == VK_ESCAPE) {
        // The quick way out of the flashing; never a start.
        stopBlinking();
        return true;
    }
    return false;
}

}  // namespace varno::ui
