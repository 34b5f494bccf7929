#include "text_conversion.h"

#include "platform/win32/windows_api.h"

#include <climits>

namespace varno::platform::win32 {

namespace {

std::optional<std::wstring> toWide(UINT codePage, DWORD flags, std::string_view text)
{
    if (text.empty())
        return std::wstring();
    if (text.size() > INT_MAX)
        return std::nullopt;
    const int inLength = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(codePage, flags, text.data(), inLength, nullptr, 0);
    if (length <= 0)
        return std::nullopt;
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(codePage, flags, text.data(), inLength, wide.data(), length);
    return wide;
}

std::optional<std::string> fromWide(UINT codePage, std::wstring_view text, bool exact)
{
    if (text.empty())
        return std::string();
    if (text.size() > INT_MAX)
        return std::nullopt;
    const int inLength = static_cast<int>(text.size());
    // Exact: no "best fit" either, which would quietly turn "Café" into
    // "Cafe". CP_UTF8 refuses both flags, and cannot lose anything.
    BOOL lossy = FALSE;
    BOOL* lossyOut = exact ? &lossy : nullptr;
    const DWORD flags = exact ? WC_NO_BEST_FIT_CHARS : 0;
    const int length =
        WideCharToMultiByte(codePage, flags, text.data(), inLength, nullptr, 0, nullptr, lossyOut);
    if (length <= 0 || lossy)
        return std::nullopt;
    std::string bytes(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(codePage, flags, text.data(), inLength, bytes.data(), length, nullptr, nullptr);
    return bytes;
}

}  // namespace

std::optional<std::wstring> utf8ToWide(std::string_view text)
{
    return toWide(CP_UTF8, MB_ERR_INVALID_CHARS, text);
}

std::string wideToUtf8(std::wstring_view text)
{
    return fromWide(CP_UTF8, text, false).value_or(std::string());
}

std::optional<std::string> utf8ToAnsi(std::string_view text)
{
    auto wide = utf8ToWide(text);
    if (!wide)
        return std::nullopt;
    return fromWide(CP_ACP, *wide, true);
}

std::string ansiToUtf8(std::string_view bytes)
{
    // Bytes that are no character in the code page become its default
    // character rather than failing the whole text.
    return wideToUtf8(toWide(CP_ACP, 0, bytes).value_or(std::wstring()));
}

}  // namespace varno::platform::win32
