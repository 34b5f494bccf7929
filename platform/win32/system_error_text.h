#pragma once

#include <string>

namespace varno::platform::win32 {

// "error 2: The system cannot find the file specified." for messages that
// end up in an exception.
std::string systemErrorText(unsigned long code);

}  // namespace varno::platform::win32
