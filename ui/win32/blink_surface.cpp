#include "blink_surface.h"

namespace varno::ui {

namespace {

constexpr const wchar_t* kClassName = L"VarnoBlinkSurface";

}  // namespace

BlinkSurface::~BlinkSurface()
{
    for (Slot& slot : slots_)
        if (slot.brush)
            DeleteObject(slot.brush);
}

bool BlinkSurface::create(HWND parent, int id)
{
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW surfaceClass{};
    surfaceClass.cbSize = sizeof surfaceClass;
    surfaceClass.lpfnWndProc = &BlinkSurface::procedure;
    surfaceClass.hInstance = instance;
    surfaceClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    surfaceClass.lpszClassName = kClassName;
    RegisterClassExW(&surfaceClass);  // fails harmlessly when already there

    shown_ = GetSysColorBrush(systemColourIndex(kSystemButtonFace));
    window_ = CreateWindowExW(0, kClassName, L"Picture1",
                              WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_TABSTOP, 0, 0, 0, 0,
                              parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, this);
    return window_ != nullptr;
}

void BlinkSurface::setColours(Colour colour1, Colour colour2)
{
    const Colour wanted[] = {colour1, colour2};
    for (int i = 0; i < 2; ++i) {
        Slot& slot = slots_[i];
        if (slot.brush && slot.colour == wanted[i])
            continue;
        if (slot.brush && slot.brush == shown_) {
            // Still on screen: kept as the third until something else shows.
            if (slots_[2].brush)
                DeleteObject(slots_[2].brush);
            slots_[2] = slot;
        } else if (slot.brush) {
            DeleteObject(slot.brush);
        }
        slot = {wanted[i], CreateSolidBrush(wanted[i])};
    }
}

HBRUSH BlinkSurface::brushFor(Colour colour)
{
    if (isSystemColour(colour))
        return GetSysColorBrush(systemColourIndex(colour));
    for (const Slot& slot : slots_)
        if (slot.brush && slot.colour == colour)
            return slot.brush;
    // Neither colour: only when colours were never set.
    if (slots_[2].brush && slots_[2].brush != shown_)
        DeleteObject(slots_[2].brush);
    slots_[2] = {colour, CreateSolidBrush(colour)};
    return slots_[2].brush;
}

void BlinkSurface::show(Colour colour)
{
    shown_ = brushFor(colour);
    // Straight into the window's DC, clipped to what shows of it and not
    // its children: no invalidation and no paint message to wait for, which
    // under Wine took three times as long and made the fill's moment vary.
    // A paint for an exposure fills with the same brush.
    RECT area;
    GetClientRect(window_, &area);
    if (HDC dc = GetDC(window_)) {
        FillRect(dc, &area, shown_);
        ReleaseDC(window_, dc);
    }
}

LRESULT CALLBACK BlinkSurface::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* self = static_cast<BlinkSurface*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->window_ = window;
    }
    auto* self = reinterpret_cast<BlinkSurface*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return self ? self->handle(message, wParam, lParam) : DefWindowProcW(window, message, wParam, lParam);
}

LRESULT BlinkSurface::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ERASEBKGND:
        return 1;  // the paint fills every pixel
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window_, &paint);
        FillRect(dc, &paint.rcPaint, shown_);
        EndPaint(window_, &paint);
        return 0;
    }
    case WM_LBUTTONDOWN:
        pressed_ = true;
        SetCapture(window_);
        SetFocus(window_);
        return 0;
    case WM_LBUTTONUP: {
        const bool wasPressed = pressed_;
        pressed_ = false;
        ReleaseCapture();
        RECT area;
        GetClientRect(window_, &area);
        const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        // A press and release on the surface itself: a click.
        if (wasPressed && PtInRect(&area, at))
            SendMessageW(GetParent(window_), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(window_), BN_CLICKED),
                         reinterpret_cast<LPARAM>(window_));
        return 0;
    }
    case WM_CAPTURECHANGED:
        pressed_ = false;
        return 0;
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORBTN:
        // The controls on the surface belong to the main window.
        return SendMessageW(GetParent(window_), message, wParam, lParam);
    default:
        return DefWindowProcW(window_, message, wParam, lParam);
    }
}

}  // namespace varno::ui
