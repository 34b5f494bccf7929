#pragma once

#include <optional>
#include <string>
#include <string_view>

// Text crosses the platform interfaces as UTF-8; the system wants UTF-16 or
// the ANSI code page of the moment.
namespace varno::platform::win32 {

// Nothing when `text` is not valid UTF-8.
std::optional<std::wstring> utf8ToWide(std::string_view text);

std::string wideToUtf8(std::wstring_view text);

// Nothing when a character has no form in the ANSI code page: the system
// would send a '?' in its place and find something else.
std::optional<std::string> utf8ToAnsi(std::string_view text);

// Every byte is converted, NULs included.
std::string ansiToUtf8(std::string_view bytes);

}  // namespace varno::platform::win32
