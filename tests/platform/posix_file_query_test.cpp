#include "platform/posix_file_query.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace varno::platform {
namespace {

class PosixDir : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/varno-dir-XXXXXX";
        root = ::mkdtemp(pattern);
        for (const char* file : {"MSINFO32.EXE", "b.txt", "a.txt", ".hidden", "with space/tool"}) {
            std::filesystem::create_directories((root / file).parent_path());
            std::ofstream(root / file) << "x";
        }
        std::filesystem::create_directory(root / "folder");
        std::filesystem::create_symlink(root / "b.txt", root / "link");
    }
    void TearDown() override { std::filesystem::remove_all(root); }

    std::filesystem::path root;
    PosixFileQuery query;
};

TEST_F(PosixDir, AnswersWithTheNameOfAnOrdinaryFile)
{
    const std::string r = root.string();
    struct Case {
        std::string path;
        int attributes;
        std::string expected;
    } cases[] = {
        {r + "/MSINFO32.EXE", 0, "MSINFO32.EXE"},
        {r + "\\MSINFO32.EXE", 0, "MSINFO32.EXE"},         // a Windows separator
        {r + "\\\\MSINFO32.EXE", 0, "MSINFO32.EXE"},       // a folder text ending in one
        {r + "/msinfo32.exe", 0, ""},                        // names keep their case here
        {r + "/with space\\tool", 0, "tool"},
        {r + "/missing", 0, ""},
        {r + "/folder", 0, ""},
        {r + "/folder", 16, "folder"},
        {r + "/.hidden", 0, ""},
        {r + "/.hidden", 2, ".hidden"},
        {r + "/link", 0, "link"},
        {r + "/", 0, ""},
        {r + "/*.txt", 0, "a.txt"},
        {r + "/?.txt", 0, "a.txt"},
        {r + "/*", 0, "MSINFO32.EXE"},
        {r + "/*.none", 0, ""},
        {"", 0, ""},
        {"\\MSINFO32.EXE", 0, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(query.Dir(c.path, c.attributes), c.expected) << c.path << " / " << c.attributes;
}

TEST_F(PosixDir, MalformedPathsRaise)
{
    EXPECT_THROW(query.Dir(root.string() + std::string("/a\0b", 4), 0), std::runtime_error);
    EXPECT_THROW(query.Dir(root.string() + "/" + std::string(300, 'x'), 0), std::runtime_error);
    EXPECT_THROW(query.Dir(std::string(5000, 'x'), 0), std::runtime_error);
}

}  // namespace
}  // namespace varno::platform
