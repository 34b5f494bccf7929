#include "about_dialog.h"

#include "app_info.h"
#include "core/about_design.h"
#include "core/about_layout.h"
#include "core/twips.h"
#include "platform/win32/text_conversion.h"
#include "ui/win32/resource_ids.h"

#include <algorithm>
#include <array>
#include <string>

namespace varno::ui {

namespace {

std::wstring wide(const std::string& utf8)
{
    return platform::win32::utf8ToWide(utf8).value_or(L"");
}

// The labels, in the order the layout takes their sizes.
constexpr int kLabelIds[about::kLabelCount] = {IDC_LBLDISCLAIMER, IDC_LBLVERSION, IDC_LBLTITLE, IDC_LBLDESCRIPTION,
                                               IDC_LABEL1,        IDC_LABEL2,     IDC_LABEL3};

void move(HWND dialog, int id, const PixelRect& r)
{
    SetWindowPos(GetDlgItem(dialog, id), nullptr, r.x, r.y, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

AboutDialog::~AboutDialog()
{
    if (iconBackground_)
        DeleteObject(iconBackground_);
    if (icon_)
        DestroyIcon(icon_);
}

void AboutDialog::showModal(HWND owner)
{
    owner_ = owner;
    DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ABOUT), owner, &AboutDialog::procedure,
                    reinterpret_cast<LPARAM>(this));
    dialog_ = nullptr;
}

void AboutDialog::close()
{
    if (dialog_)
        EndDialog(dialog_, IDCANCEL);
}

INT_PTR CALLBACK AboutDialog::procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        reinterpret_cast<AboutDialog*>(lParam)->dialog_ = dialog;
    }
    auto* self = reinterpret_cast<AboutDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
    return self ? self->handle(message, wParam, lParam) : FALSE;
}

INT_PTR AboutDialog::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        initialise();
        return TRUE;  // the focus goes to the first button, OK
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
        case IDCANCEL:  // Esc, the close box and the system menu
            EndDialog(dialog_, LOWORD(wParam));
            return TRUE;
        case IDC_CMDSYSINFO:
            launchSystemInformation(services_);
            return TRUE;
        }
        return FALSE;
    case WM_CTLCOLORSTATIC:
        return reinterpret_cast<INT_PTR>(colourStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)));
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(dialog_, &paint);
        paintRule(dc);
        EndPaint(dialog_, &paint);
        return TRUE;
    }
    case WM_DPICHANGED:
        layOut(HIWORD(wParam));
        centreOnScreen();
        return TRUE;
    default:
        (void)lParam;
        return FALSE;
    }
}

void AboutDialog::initialise()
{
    SetWindowTextW(dialog_, wide(about::kCaption).c_str());
    SetDlgItemTextW(dialog_, IDOK, wide(about::kOkButton).c_str());
    SetDlgItemTextW(dialog_, IDC_CMDSYSINFO, wide(about::kSystemInfoButton).c_str());
    SetDlgItemTextW(dialog_, IDC_LBLDISCLAIMER, wide(about::kWarning1).c_str());
    SetDlgItemTextW(dialog_, IDC_LBLDESCRIPTION, wide(about::kDescription).c_str());
    SetDlgItemTextW(dialog_, IDC_LABEL1, wide(about::kCopyright).c_str());
    SetDlgItemTextW(dialog_, IDC_LABEL2, wide(about::kWarning2).c_str());
    SetDlgItemTextW(dialog_, IDC_LABEL3, wide(about::kContact).c_str());
    // Filled in at every opening, as the dialog's load did.
    SetDlgItemTextW(dialog_, IDC_LBLVERSION,
                    wide(about::versionText(kVersionMajor, kVersionMinor, kVersionRevision)).c_str());
    SetDlgItemTextW(dialog_, IDC_LBLTITLE, wide(kAppTitle).c_str());

    // The program icon in the title bar too.
    HINSTANCE instance = GetModuleHandleW(nullptr);
    SendMessageW(dialog_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(LoadIconW(instance, L"IDI_ICON1")));
    SendMessageW(dialog_, WM_SETICON, ICON_SMALL,
                 static_cast<LPARAM>(GetClassLongPtrW(owner_, GCLP_HICONSM)));
    if (!iconBackground_)
        iconBackground_ = CreateSolidBrush(about::kIconBackgroundRgb);
    layOut(GetDpiForWindow(dialog_));
    centreOnScreen();
}

void AboutDialog::layOut(UINT dpi)
{
    dpi_ = dpi;
    font_.update(dpi, dialog_);
    const auto px = [dpi](int twips) { return twipsToPixels(twips, dpi); };

    // What each label's text needs on one line in the dialog's font.
    std::array<about::TextSize, about::kLabelCount> texts;
    HDC dc = GetDC(dialog_);
    HGDIOBJ oldFont = SelectObject(dc, font_.handle());
    for (std::size_t i = 0; i < about::kLabelCount; ++i) {
        wchar_t text[256];
        const int length = GetDlgItemTextW(dialog_, kLabelIds[i], text, static_cast<int>(std::size(text)));
        RECT needed{0, 0, 0, 0};
        DrawTextW(dc, text, length, &needed, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
        texts[i] = {static_cast<int>(needed.right), static_cast<int>(needed.bottom)};
    }
    SelectObject(dc, oldFont);
    ReleaseDC(dialog_, dc);

    const about::AboutPlacement placement = about::placeAbout(texts, dpi);
    for (std::size_t i = 0; i < about::kLabelCount; ++i)
        move(dialog_, kLabelIds[i], placement.labels[i]);
    move(dialog_, IDOK, placement.ok);
    move(dialog_, IDC_CMDSYSINFO, placement.systemInfo);

    // The icon whole inside its sunken border, at the design's 32 pixels.
    const int iconSide = px(about::kIconTwips);
    if (icon_)
        DestroyIcon(icon_);
    icon_ = static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), L"IDI_ICON1", IMAGE_ICON, iconSide, iconSide, LR_DEFAULTCOLOR));
    SendDlgItemMessageW(dialog_, IDC_PICICON, STM_SETICON, reinterpret_cast<WPARAM>(icon_), 0);
    const int border = GetSystemMetricsForDpi(SM_CXEDGE, dpi);
    SetWindowPos(GetDlgItem(dialog_, IDC_PICICON), nullptr, px(about::kIconRect.left), px(about::kIconRect.top),
                 iconSide + 2 * border, iconSide + 2 * border, SWP_NOZORDER | SWP_NOACTIVATE);

    RECT client{0, 0, placement.clientWidth, placement.clientHeight};
    const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(dialog_, GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrW(dialog_, GWL_EXSTYLE));
    AdjustWindowRectExForDpi(&client, style, FALSE, exStyle, dpi);
    SetWindowPos(dialog_, nullptr, 0, 0, client.right - client.left, client.bottom - client.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(dialog_, nullptr, TRUE);
}

void AboutDialog::centreOnScreen()
{
    // The screen the main window is on, whatever part of it the window covers.
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(owner_ ? owner_ : dialog_, MONITOR_DEFAULTTOPRIMARY), &monitor);
    RECT frame;
    GetWindowRect(dialog_, &frame);
    const LONG width = frame.right - frame.left;
    const LONG height = frame.bottom - frame.top;
    const RECT& area = monitor.rcWork;
    SetWindowPos(dialog_, nullptr, area.left + (area.right - area.left - width) / 2,
                 area.top + (area.bottom - area.top - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void AboutDialog::paintRule(HDC dc) const
{
    // A grey line with a white one, two pixels high, a pixel below it: an
    // etched rule between the texts and the warning.
    const auto px = [this](int twips) { return twipsToPixels(twips, dpi_); };
    const int pixel = std::max(1, px(15));
    HBRUSH grey = CreateSolidBrush(about::kRuleGreyRgb);
    const RECT greyLine{px(about::kRuleGrey.left), px(about::kRuleGrey.top), px(about::kRuleGrey.right()),
                        px(about::kRuleGrey.top) + pixel};
    FillRect(dc, &greyLine, grey);
    DeleteObject(grey);
    const RECT whiteLine{px(about::kRuleWhite.left), px(about::kRuleWhite.top), px(about::kRuleWhite.right()),
                         px(about::kRuleWhite.top) + 2 * pixel};
    FillRect(dc, &whiteLine, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
}

HBRUSH AboutDialog::colourStatic(HDC dc, HWND control) const
{
    const int id = GetDlgCtrlID(control);
    if (id == IDC_PICICON) {
        SetBkColor(dc, about::kIconBackgroundRgb);
        return iconBackground_;
    }
    // The version keeps the system's text colour; every other label is black.
    SetTextColor(dc, id == IDC_LBLVERSION ? GetSysColor(COLOR_BTNTEXT) : RGB(0, 0, 0));
    SetBkMode(dc, TRANSPARENT);
    return GetSysColorBrush(COLOR_BTNFACE);
}

}  // namespace varno::ui
