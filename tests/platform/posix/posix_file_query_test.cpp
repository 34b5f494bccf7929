#include "platform/posix/posix_file_query.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace varno::platform {
namespace {

TEST(PosixFileQuery, NamesAnOrdinaryFileReadingBackslashesAsSeparators)
{
    char pattern[] = "/tmp/varno-dir-XXXXXX";
    const std::string r = ::mkdtemp(pattern);
    for (const char* file : {"/MSINFO32.EXE", "/.hidden", "/with space/tool"}) {
        std::filesystem::create_directories(std::filesystem::path(r + file).parent_path());
        std::ofstream(r + file) << "x";
    }
    const std::pair<std::string, std::string> cases[] = {
        {r + "\\MSINFO32.EXE", "MSINFO32.EXE"},
        {r + "\\\\MSINFO32.EXE", "MSINFO32.EXE"},  // a folder text ending in a backslash
        {r + "/msinfo32.exe", ""},                  // names keep their case here
        {r + "/with space\\tool", "tool"},
        {r + "/missing", ""},
        {r + "/with space", ""},  // a folder
        {r + "/.hidden", ""},
    };
    PosixFileQuery query;
    for (const auto& [path, expected] : cases)
        EXPECT_EQ(query.find(path, 0), expected) << path;
    for (const std::string& malformed : {r + std::string("/a\0b", 4), r + "/" + std::string(300, 'x')})
        EXPECT_THROW(query.find(malformed, 0), std::runtime_error);
    std::filesystem::remove_all(r);
}

}  // namespace
}  // namespace varno::platform
