#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace varno {

// What the command line asks for. The program itself takes no options; it
// only answers --help and --version, and refuses anything else rather than
// open a flashing window nobody asked for.
struct CommandLine {
    enum class Action { Run, Help, Version, Refuse };
    Action action = Action::Run;
    // The one line to print to standard error when refused.
    std::string error;
};

// `arguments` without the program name. The first argument decides.
CommandLine parseCommandLine(const std::vector<std::string_view>& arguments);

std::string helpText();
std::string versionText();

// Exit status after refusing a command line, as usage errors conventionally have.
inline constexpr int kUsageErrorStatus = 2;

// An argument as it may be echoed to a terminal: valid UTF-8 only, control
// characters (escape sequences included) as '?', at most `maxCharacters`
// characters, cut with "…".
std::string printableArgument(std::string_view argument, std::size_t maxCharacters = 40);

}  // namespace varno
