#include "core/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace varno {
namespace {

using Action = CommandLine::Action;

TEST(CommandLine, AnswersHelpAndVersionAndRefusesEverythingElse)
{
    const std::tuple<std::vector<std::string_view>, Action, const char*> cases[] = {
        {{}, Action::Run, ""},
        {{"--help"}, Action::Help, ""},
        {{"--version", "--bogus"}, Action::Version, ""},
        {{"--bogus", "--help"}, Action::Refuse, "varno: unknown option '--bogus'; try 'varno --help'"},
        {{"--help=all"}, Action::Refuse, "varno: unknown option '--help=all'; try 'varno --help'"},
        {{"-"}, Action::Refuse, "varno: unexpected argument '-'; try 'varno --help'"},
    };
    for (const auto& [arguments, action, error] : cases) {
        SCOPED_TRACE(arguments.empty() ? "(none)" : std::string(arguments.front()));
        const CommandLine parsed = parseCommandLine(arguments);
        EXPECT_EQ(parsed.action, action);
        EXPECT_EQ(parsed.error, error);
    }
}

// Whatever was typed, or planted in a script, reaches the terminal as plain
// text of bounded length.
TEST(CommandLine, EchoedArgumentsCannotDriveTheTerminal)
{
    const std::pair<std::string, std::string> cases[] = {
        {"\x1b]0;owned\x07\r\n", "?]0;owned???"},
        {"\xc2\x9b\xff\xe3\x81", "????"},  // a C1 control, not UTF-8, cut short
        {"\xc0\xaf\xed\xa0\x80", "?????"},   // overlong '/', a surrogate
        {"ゾルテカ-é", "ゾルテカ-é"},
        {std::string(41, '\x1b'), std::string(40, '?') + "…"},
    };
    for (const auto& [argument, shown] : cases) {
        SCOPED_TRACE(shown);
        EXPECT_EQ(printableArgument(argument), shown);
    }
}

}  // namespace
}  // namespace varno
