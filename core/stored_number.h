#pragma once

#include <optional>
#include <string>

namespace varno {

// Window bounds are kept as text in twips, written the way the classic
// runtime writes a single-precision number: "6500", "1234.5", never "6500.0".
std::string formatStoredNumber(float value);

// Surrounding blanks are accepted; so are "&H" (hexadecimal) and "&O"
// (octal) integers, as the classic runtime's conversion reads them. Any
// other text that is not a whole decimal number, and values that are not
// finite, give nothing.
std::optional<float> parseStoredNumber(const std::string& text);

}  // namespace varno
