#include "debug_line.h"

#include "platform/win32/windows_api.h"

#include <string>

namespace varno::platform::win32 {

void debugLine(std::string_view utf8)
{
    std::string line;
    const int wide = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    if (wide > 0) {
        std::wstring text(static_cast<std::size_t>(wide), L'\0');
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), text.data(), wide);
        const int narrow = WideCharToMultiByte(CP_ACP, 0, text.data(), wide, nullptr, 0, nullptr, nullptr);
        line.resize(narrow > 0 ? static_cast<std::size_t>(narrow) : 0);
        if (narrow > 0)
            WideCharToMultiByte(CP_ACP, 0, text.data(), wide, line.data(), narrow, nullptr, nullptr);
    }
    line += '\n';
    OutputDebugStringA(line.c_str());
}

}  // namespace varno::platform::win32
