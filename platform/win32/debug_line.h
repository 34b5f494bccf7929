#pragma once

#include <string_view>

namespace varno::platform::win32 {

// One line for a debugger (OutputDebugString), in the ANSI code page, where
// every debugger and Wine's +debugstr channel read it; a character the code
// page lacks shows as '?'.
void debugLine(std::string_view utf8);

}  // namespace varno::platform::win32
