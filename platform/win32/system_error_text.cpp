#include "system_error_text.h"

#include "platform/win32/text_conversion.h"
#include "platform/win32/windows_api.h"

namespace varno::platform::win32 {

std::string systemErrorText(unsigned long code)
{
    std::string text = "error " + std::to_string(code);
    wchar_t* message = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr);
    if (length > 0 && message) {
        std::wstring wide(message, length);
        while (!wide.empty() && (wide.back() == L'\n' || wide.back() == L'\r' || wide.back() == L' '))
            wide.pop_back();
        text += ": " + wideToUtf8(wide);
    }
    LocalFree(message);
    return text;
}

}  // namespace varno::platform::win32
