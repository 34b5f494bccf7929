#include "ui_font.h"

#include <cwchar>

namespace varno::ui {

namespace {

constexpr int kPointSize = 9;

// Japanese faces in the order Windows itself prefers them for its UI, then
// the one a Linux system running Wine usually has; their kana and kanji
// have Japanese shapes where a Chinese font would not.
constexpr const wchar_t* kFaces[] = {L"Yu Gothic UI", L"Meiryo UI", L"MS UI Gothic", L"Noto Sans CJK JP"};

bool installed(const wchar_t* face)
{
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    wcsncpy(wanted.lfFaceName, face, LF_FACESIZE - 1);
    bool found = false;
    HDC screen = GetDC(nullptr);
    EnumFontFamiliesExW(
        screen, &wanted,
        [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) -> int {
            *reinterpret_cast<bool*>(found) = true;
            return 0;
        },
        reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, screen);
    return found;
}

LOGFONTW chosenFont(UINT dpi)
{
    // The system's message font is the fallback: it at least links to a
    // font with Japanese glyphs on a Japanese system.
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi);
    LOGFONTW font = metrics.lfMessageFont;
    for (const wchar_t* face : kFaces) {
        if (installed(face)) {
            wcsncpy(font.lfFaceName, face, LF_FACESIZE - 1);
            font.lfCharSet = DEFAULT_CHARSET;
            break;
        }
    }
    font.lfHeight = -MulDiv(kPointSize, static_cast<int>(dpi), 72);
    font.lfWidth = 0;
    font.lfQuality = CLEARTYPE_QUALITY;
    return font;
}

}  // namespace

UiFont::~UiFont()
{
    if (font_)
        DeleteObject(font_);
}

void UiFont::update(UINT dpi, HWND parent)
{
    const LOGFONTW wanted = chosenFont(dpi);
    HFONT old = font_;
    font_ = CreateFontIndirectW(&wanted);
    EnumChildWindows(
        parent,
        [](HWND child, LPARAM font) -> BOOL {
            SendMessageW(child, WM_SETFONT, static_cast<WPARAM>(font), TRUE);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(font_));
    if (old)
        DeleteObject(old);
}

}  // namespace varno::ui
