#include "platform/win32/win32_file_query.h"

#include "platform/win32/windows_api.h"
#include "win32_test_support.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace varno::platform::win32 {
namespace {

using win32_testing::Narrow;
using win32_testing::ScratchDir;

// Every case looks into the same small tree.
class Win32FileQueryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir.WriteFile(L"tools\\MSINFO32.EXE", "MZ");
        dir.WriteFile(L"Program Files\\Tools\\MSINFO32.EXE", "MZ");
        dir.WriteFile(L"\u30c4\u30fc\u30eb\\MSINFO32.EXE", "MZ");
        dir.MakeDir(L"folder\\MSINFO32.EXE");
        SetAttributes(dir.WriteFile(L"hidden\\MSINFO32.EXE", "MZ"), FILE_ATTRIBUTE_HIDDEN);
        SetAttributes(dir.WriteFile(L"system\\MSINFO32.EXE", "MZ"), FILE_ATTRIBUTE_SYSTEM);
        SetAttributes(dir.WriteFile(L"readonly\\MSINFO32.EXE", "MZ"), FILE_ATTRIBUTE_READONLY);
    }

    static void SetAttributes(const std::wstring& path, DWORD attributes)
    {
        ASSERT_TRUE(SetFileAttributesW(path.c_str(), attributes));
    }

    std::string Dir(const std::wstring& relative, int attributes = 0)
    {
        return Win32FileQuery().Dir(Narrow(dir / relative), attributes);
    }

    ScratchDir dir;
};

TEST_F(Win32FileQueryTest, AnswersWithTheNameOfAnOrdinaryFileOnly)
{
    const struct {
        const wchar_t* path;
        int attributes;
        const char* answer;
    } cases[] = {
        {L"tools\\MSINFO32.EXE", 0, "MSINFO32.EXE"},
        {L"tools\\msinfo32.exe", 0, "MSINFO32.EXE"},  // the name as stored
        {L"tools\\\\MSINFO32.EXE", 0, "MSINFO32.EXE"},  // a folder text ending in '\'
        {L"Program Files\\Tools\\MSINFO32.EXE", 0, "MSINFO32.EXE"},
        {L"\u30c4\u30fc\u30eb\\MSINFO32.EXE", 0, "MSINFO32.EXE"},
        {L"tools\\*.EXE", 0, "MSINFO32.EXE"},
        {L"readonly\\MSINFO32.EXE", 0, "MSINFO32.EXE"},
        {L"tools\\NOTHERE.EXE", 0, ""},
        {L"gone\\MSINFO32.EXE", 0, ""},
        {L"tools\\", 0, ""},
        {L"folder\\MSINFO32.EXE", 0, ""},
        {L"folder\\MSINFO32.EXE", kDirDirectory, "MSINFO32.EXE"},
        {L"hidden\\MSINFO32.EXE", 0, ""},
        {L"hidden\\MSINFO32.EXE", kDirHidden, "MSINFO32.EXE"},
        {L"system\\MSINFO32.EXE", 0, ""},
        {L"system\\MSINFO32.EXE", kDirSystem, "MSINFO32.EXE"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.path) + " attributes " + std::to_string(c.attributes));
        EXPECT_EQ(Dir(c.path, c.attributes), c.answer);
    }
}

TEST_F(Win32FileQueryTest, EmptyPathFindsNothing)
{
    EXPECT_EQ(Win32FileQuery().Dir("", 0), "");
}

TEST_F(Win32FileQueryTest, MalformedPathThrows)
{
    for (const std::string& path : {Narrow(dir / L"a|b\\MSINFO32.EXE"), std::string("C:\\\xff\\x"),
                                    std::string("C:\\a\0b", 6)}) {
        SCOPED_TRACE(path);
        EXPECT_THROW(Win32FileQuery().Dir(path, 0), std::runtime_error);
    }
}

}  // namespace
}  // namespace varno::platform::win32
