#include "period_bar.h"

#include "core/alternation.h"
#include "platform/win32/text_conversion.h"

#include <commctrl.h>

#include <algorithm>
#include <cwchar>

namespace varno::ui {

namespace {

constexpr UINT kTipShownMs = 1500;

}  // namespace

PeriodBar::~PeriodBar()
{
    if (tip_)
        DestroyWindow(tip_);
}

bool PeriodBar::create(HWND parent, int id, HWND timerOwner, UINT_PTR hideTimerId)
{
    timerOwner_ = timerOwner;
    hideTimerId_ = hideTimerId;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    bar_ = CreateWindowExW(0, L"SCROLLBAR", L"HScroll1", WS_CHILD | WS_VISIBLE | WS_TABSTOP | SBS_HORZ, 0, 0, 0, 0,
                           parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    if (!bar_)
        return false;
    // No page size: the thumb keeps its classic square shape, and every
    // value up to the maximum can be reached.
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_POS | SIF_PAGE;
    info.nMin = kMinPeriodMs;
    info.nMax = kMaxPeriodMs;
    info.nPos = kPeriodBarStart;
    SetScrollInfo(bar_, SB_CTL, &info, TRUE);

    tip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, 0, 0,
                           0, 0, timerOwner, nullptr, instance, nullptr);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_TRACK | TTF_ABSOLUTE | TTF_IDISHWND;
    tool.hwnd = timerOwner;
    tool.uId = reinterpret_cast<UINT_PTR>(bar_);
    tool.lpszText = tipText_;
    SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    // A maximum width makes the tip break its text at the line feed.
    SendMessageW(tip_, TTM_SETMAXTIPWIDTH, 0, 2000);
    return true;
}

std::optional<int> PeriodBar::scroll(WPARAM request)
{
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_POS | SIF_TRACKPOS;
    GetScrollInfo(bar_, SB_CTL, &info);
    int value = info.nPos;
    bool changed = true;
    switch (LOWORD(request)) {
    case SB_LINELEFT: value -= kPeriodLineStep; break;
    case SB_LINERIGHT: value += kPeriodLineStep; break;
    case SB_PAGELEFT: value -= kPeriodPageStep; break;
    case SB_PAGERIGHT: value += kPeriodPageStep; break;
    case SB_LEFT: value = kMinPeriodMs; break;
    case SB_RIGHT: value = kMaxPeriodMs; break;
    case SB_THUMBTRACK:
        // The thumb follows the drag; the period only once it is let go.
        value = info.nTrackPos;
        changed = false;
        break;
    case SB_THUMBPOSITION: value = info.nTrackPos; break;
    default: return std::nullopt;  // SB_ENDSCROLL
    }
    value = std::clamp(value, kMinPeriodMs, kMaxPeriodMs);
    const bool moved = value != info.nPos;
    if (moved) {
        info.fMask = SIF_POS;
        info.nPos = value;
        SetScrollInfo(bar_, SB_CTL, &info, TRUE);
    }
    showTip(value);
    if (!changed || (!moved && LOWORD(request) != SB_THUMBPOSITION))
        return std::nullopt;
    return value;
}

void PeriodBar::showTip(int value)
{
    std::string line = periodText(value);
    if (const std::string screen = onScreenText(value, rate_); !screen.empty())
        line += "\n" + screen;
    const std::wstring text = platform::win32::utf8ToWide(line).value_or(L"");
    wcsncpy(tipText_, text.c_str(), std::size(tipText_) - 1);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = timerOwner_;
    tool.uId = reinterpret_cast<UINT_PTR>(bar_);
    tool.lpszText = tipText_;
    SendMessageW(tip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    // Just below the bar, at its left end.
    RECT bar;
    GetWindowRect(bar_, &bar);
    SendMessageW(tip_, TTM_TRACKPOSITION, 0, MAKELPARAM(bar.left, bar.bottom + 2));
    SendMessageW(tip_, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
    SetTimer(timerOwner_, hideTimerId_, kTipShownMs, nullptr);
}

void PeriodBar::hideTip()
{
    KillTimer(timerOwner_, hideTimerId_);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = timerOwner_;
    tool.uId = reinterpret_cast<UINT_PTR>(bar_);
    SendMessageW(tip_, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
}

}  // namespace varno::ui
