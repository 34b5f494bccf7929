#include "win32_dialogs.h"

#include "app_info.h"
#include "platform/win32/text_conversion.h"
#include "platform/win32/windows_api.h"

#include <commdlg.h>

namespace varno::platform::win32 {

std::optional<Colour> Win32ColourChooser::choose(Colour current)
{
    static_assert(sizeof(COLORREF) == sizeof(unsigned long));
    CHOOSECOLORW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = GetActiveWindow();
    // A system colour has no place in the dialog: it opens on what it shows now.
    dialog.rgbResult = isSystemColour(current) ? GetSysColor(systemColourIndex(current)) : current;
    dialog.lpCustColors = reinterpret_cast<COLORREF*>(customColours_.data());
    dialog.Flags = CC_RGBINIT | CC_FULLOPEN | CC_ANYCOLOR;
    if (!ChooseColorW(&dialog))
        return std::nullopt;  // cancelled, or the dialog could not open
    return static_cast<Colour>(dialog.rgbResult & 0x00FFFFFFu);
}

void Win32MessageBox::show(const std::string& prompt, int style)
{
    const std::wstring title = utf8ToWide(kAppTitle).value_or(L"");
    const std::wstring text = utf8ToWide(prompt).value_or(L"");
    MessageBoxW(GetActiveWindow(), text.c_str(), title.c_str(), static_cast<UINT>(style));
}

}  // namespace varno::platform::win32
