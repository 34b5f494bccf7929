#include "command_line.h"

#include "app_info.h"
#include "core/about_design.h"

namespace varno {

namespace {

// The length of the valid UTF-8 sequence at the start of `text` and its code
// point, or 0 when it is not one (overlong, a surrogate, beyond U+10FFFF, cut).
std::size_t decodeUtf8(std::string_view text, char32_t& codePoint)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    char32_t minimum = 0;
    if (lead < 0x80)
        return codePoint = lead, 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2, minimum = 0x80, codePoint = lead & 0x1F;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3, minimum = 0x800, codePoint = lead & 0x0F;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4, minimum = 0x10000, codePoint = lead & 0x07;
    else
        return 0;
    if (text.size() < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return 0;
        codePoint = (codePoint << 6) | (byte(i) & 0x3F);
    }
    if (codePoint < minimum || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        return 0;
    return length;
}

bool isControl(char32_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

CommandLine refuse(std::string_view argument)
{
    const bool option = argument.size() > 1 && argument.front() == '-';
    std::string error = std::string(kExecutableName) + ": " + (option ? "unknown option" : "unexpected argument") +
                        " '" + printableArgument(argument) + "'; try '" + kExecutableName + " --help'";
    return {CommandLine::Action::Refuse, std::move(error)};
}

}  // namespace

CommandLine parseCommandLine(const std::vector<std::string_view>& arguments)
{
    if (arguments.empty())
        return {};
    const std::string_view first = arguments.front();
    if (first == "--help")
        return {CommandLine::Action::Help, {}};
    if (first == "--version")
        return {CommandLine::Action::Version, {}};
    return refuse(first);
}

std::string helpText()
{
    const std::string name = kExecutableName;
    return "Usage: " + name + " [--help | --version]\n" + "Start " + kAppTitle +
           ": a maximised window whose colour blinks between two chosen colours.\n"
           "\n"
           "  --help     show this help and exit\n"
           "  --version  show the version and exit\n"
           "\n"
           "In the window: click it, or choose 表示 → 開始, to start and stop the blinking;\n"
           "Esc stops it. Tab reaches the period bar, where the arrow keys, Page Up/Down\n"
           "and Home/End set the period (0-500 ms).\n"
           "\n"
           "Warning: do not show this program to small children. It may cause impaired\n"
           "consciousness or convulsions.\n" +
           about::kWarning1 + "\n" + about::kWarning2 + "\n\nSee " + name + "(1) for the settings it keeps.\n";
}

std::string versionText()
{
    return std::string(kExecutableName) + " (" + kAppTitle + ") " + kVersionText + "\n" + about::kCopyright +
           "\nMIT License\n";
}

std::string printableArgument(std::string_view argument, std::size_t maxCharacters)
{
    std::string shown;
    std::size_t characters = 0;
    while (!argument.empty()) {
        if (characters == maxCharacters)
            return shown + "…";
        char32_t codePoint = 0;
        const std::size_t length = decodeUtf8(argument, codePoint);
        if (length == 0 || isControl(codePoint))
            shown += '?';
        else
            shown.append(argument.substr(0, length));
        argument.remove_prefix(length == 0 ? 1 : length);
        ++characters;
    }
    return shown;
}

}  // namespace varno
