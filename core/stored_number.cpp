#include "stored_number.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace varno {

std::string formatStoredNumber(float value)
{
    if (value == 0.0f)
        return "0";  // also for -0: the runtime never writes "-0"
    // Seven significant digits is what a single holds and what the runtime shows.
    char buf[48];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 7);
    if (ec != std::errc())
        return "0";
    std::string text(buf, end);
    // to_chars writes "1.234568e+07"; the runtime writes "1.234568E+07".
    if (auto e = text.find('e'); e != std::string::npos)
        text[e] = 'E';
    return text;
}

std::optional<float> parseStoredNumber(const std::string& text)
{
    auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return std::nullopt;
    auto last = text.find_last_not_of(" \t");
    const char* begin = text.data() + first;
    const char* end = text.data() + last + 1;
    if (*begin == '+')
        ++begin;
    float value = 0;
    auto [stop, ec] = std::from_chars(begin, end, value, std::chars_format::general);
    if (ec != std::errc() || stop != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

}  // namespace varno
