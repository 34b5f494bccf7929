#include "stored_number.h"

#include <charconv>
#include <cmath>
#include <cstdint>
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

namespace {

// "&H2328", "&O21450": the runtime's conversion reads these as integers of
// the smallest size that holds the digits, two's complement, so "&HFFFF" is
// -1 and "&H10000" is 65536; more than 32 bits overflow.
std::optional<float> parseRadixNumber(const char* begin, const char* end)
{
    const char marker = begin[1];
    const unsigned shift = (marker == 'H' || marker == 'h') ? 4 : (marker == 'O' || marker == 'o') ? 3 : 0;
    if (shift == 0 || end - begin < 3)
        return std::nullopt;
    std::uint64_t value = 0;
    for (const char* p = begin + 2; p != end; ++p) {
        int digit = -1;
        if (*p >= '0' && *p <= '7')
            digit = *p - '0';
        else if (shift == 4 && *p >= '8' && *p <= '9')
            digit = *p - '0';
        else if (shift == 4 && ((*p >= 'a' && *p <= 'f') || (*p >= 'A' && *p <= 'F')))
            digit = (*p | 0x20) - 'a' + 10;
        if (digit < 0)
            return std::nullopt;
        value = (value << shift) | static_cast<unsigned>(digit);
        if (value > 0xFFFFFFFFu)
            return std::nullopt;
    }
    if (value <= 0xFFFFu)
        return static_cast<float>(static_cast<std::int16_t>(static_cast<std::uint16_t>(value)));
    return static_cast<float>(static_cast<std::int32_t>(static_cast<std::uint32_t>(value)));
}

}  // namespace

std::optional<float> parseStoredNumber(const std::string& text)
{
    auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return std::nullopt;
    auto last = text.find_last_not_of(" \t");
    const char* begin = text.data() + first;
    const char* end = text.data() + last + 1;
    if (*begin == '&')
        return parseRadixNumber(begin, end);
    if (*begin == '+')
        ++begin;
    float value = 0;
    auto [stop, ec] = std::from_chars(begin, end, value, std::chars_format::general);
    if (ec != std::errc() || stop != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

}  // namespace varno
