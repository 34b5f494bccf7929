#include "platform/win32/win32_registry.h"

#include "platform/win32/windows_api.h"
#include "win32_test_support.h"

#include <gtest/gtest.h>

#include <ostream>

#include <cstring>
#include <vector>

namespace varno::platform::win32 {
namespace {

using win32_testing::ScratchKey;
using win32_testing::Widen;

std::vector<unsigned char> Bytes(const std::string& text)
{
    return std::vector<unsigned char>(text.begin(), text.end());
}

TEST(Win32Registry, PredefinedRootsOpenAsTheInterfaceSpellsThem)
{
    // The interface's roots are 32-bit; a 64-bit process must sign-extend them.
    Win32Registry registry;
    for (RegHandle root : {kHKeyLocalMachine, kHKeyCurrentUser}) {
        RegHandle key = 0;
        ASSERT_EQ(registry.OpenKey(root, "Software", 0, kKeyRead, key), kErrorSuccess) << root;
        EXPECT_NE(key, 0u);
        EXPECT_EQ(registry.CloseKey(key), kErrorSuccess);
    }
}

TEST(Win32Registry, MissingKeyLeavesTheHandleZero)
{
    Win32Registry registry;
    RegHandle key = 12345;
    EXPECT_EQ(registry.OpenKey(kHKeyLocalMachine, "SOFTWARE\\no such key of varno tests", 0,
                               kKeyRead, key),
              kErrorFileNotFound);
    EXPECT_EQ(key, 0u);
    // Closing the zero handle of a failed open is a harmless error.
    EXPECT_NE(registry.CloseKey(key), kErrorSuccess);
}

struct QueryCase {
    const char* name;
    std::uint32_t storedType;
    std::vector<unsigned char> stored;
    std::uint32_t bufferSize;
    long result;
    std::uint32_t reportedSize;
};

void PrintTo(const QueryCase& c, std::ostream* os) { *os << c.name; }

class Win32RegistryQuery : public ::testing::TestWithParam<QueryCase> {};

TEST_P(Win32RegistryQuery, ReportsResultTypeAndSizeLikeTheSystem)
{
    const QueryCase& c = GetParam();
    ScratchKey scratch;
    scratch.SetAnsiValue("value", c.storedType, c.stored);

    Win32Registry registry;
    RegHandle key = 0;
    ASSERT_EQ(registry.OpenKey(kHKeyCurrentUser, scratch.Path(), 0, kKeyRead, key), kErrorSuccess);
    std::vector<unsigned char> buffer(1024, 0);
    std::uint32_t type = 0;
    std::uint32_t size = c.bufferSize;
    EXPECT_EQ(registry.QueryValue(key, "value", type, buffer.data(), size), c.result);
    EXPECT_EQ(size, c.reportedSize);
    if (c.result == kErrorSuccess) {
        EXPECT_EQ(type, c.storedType);
        EXPECT_EQ(std::memcmp(buffer.data(), c.stored.data(), c.stored.size()), 0);
    }
    registry.CloseKey(key);
}

std::string Filled(std::size_t count)
{
    return std::string(count, 'x');
}

INSTANTIATE_TEST_SUITE_P(
    Values, Win32RegistryQuery,
    ::testing::Values(
        QueryCase{"Text", kRegSz, Bytes(std::string("C:\\Tools\\MSINFO32.EXE") + '\0'), 1024,
                  kErrorSuccess, 22},
        QueryCase{"EmbeddedNul", kRegSz, Bytes(std::string("C:\\a\0b", 6) + '\0'), 1024,
                  kErrorSuccess, 7},
        QueryCase{"Dword", kRegDword, {0x78, 0x56, 0x34, 0x12}, 1024, kErrorSuccess, 4},
        QueryCase{"ExpandText", kRegExpandSz, Bytes(std::string("%SystemRoot%") + '\0'), 1024,
                  kErrorSuccess, 13},
        QueryCase{"Binary", kRegBinary, {1, 2, 3}, 1024, kErrorSuccess, 3},
        QueryCase{"ExactlyFillsTheBuffer", kRegSz, Bytes(Filled(1023) + '\0'), 1024,
                  kErrorSuccess, 1024},
        QueryCase{"OneByteTooLong", kRegSz, Bytes(Filled(1024) + '\0'), 1024, kErrorMoreData,
                  1025},
        QueryCase{"BinaryTooLong", kRegBinary, std::vector<unsigned char>(2000, 7), 1024,
                  kErrorMoreData, 2000}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Win32Registry, MissingValueIsFileNotFound)
{
    ScratchKey scratch;
    Win32Registry registry;
    RegHandle key = 0;
    ASSERT_EQ(registry.OpenKey(kHKeyCurrentUser, scratch.Path(), 0, kKeyRead, key), kErrorSuccess);
    unsigned char buffer[16] = {};
    std::uint32_t type = 0;
    std::uint32_t size = sizeof buffer;
    EXPECT_EQ(registry.QueryValue(key, "PATH", type, buffer, size), kErrorFileNotFound);
    registry.CloseKey(key);
}

TEST(Win32Registry, DataToTextKeepsEveryByteNulsIncluded)
{
    Win32Registry registry;
    const unsigned char data[] = {'a', 0, 'b', 0, 0};
    EXPECT_EQ(registry.DataToText(data, sizeof data), std::string("a\0b\0\0", 5));
    EXPECT_EQ(registry.DataToText(data, 0), "");
}

// Text that has a form in one ANSI code page: the ANSI entry points give it
// in that code page, and DataToText must turn it back into the same UTF-8.
struct AnsiCase {
    unsigned codePage;
    const char* folder;  // UTF-8
};

const AnsiCase kAnsiCases[] = {
    {932, "C:\\ツール\\システム情報"},
    {1252, "C:\\Café\\Système"},
};

TEST(Win32Registry, NamesAndDataGoThroughTheAnsiCodePage)
{
    int tried = 0;
    for (const AnsiCase& c : kAnsiCases) {
        if (c.codePage != GetACP())
            continue;
        ++tried;
        SCOPED_TRACE(c.folder);
        const std::string name = std::string(c.folder).substr(3);
        ScratchKey scratch;
        scratch.SetString(Widen(name), Widen(name), Widen(c.folder));

        Win32Registry registry;
        RegHandle key = 0;
        ASSERT_EQ(registry.OpenKey(kHKeyCurrentUser, scratch.Path() + "\\" + name, 0, kKeyRead, key),
                  kErrorSuccess);
        unsigned char buffer[1024] = {};
        std::uint32_t type = 0;
        std::uint32_t size = sizeof buffer;
        ASSERT_EQ(registry.QueryValue(key, name, type, buffer, size), kErrorSuccess);
        registry.CloseKey(key);
        EXPECT_EQ(type, kRegSz);
        // The data were ANSI bytes, not UTF-8 ones.
        EXPECT_NE(std::string(reinterpret_cast<char*>(buffer)), c.folder);
        EXPECT_EQ(registry.DataToText(buffer, size - 1), c.folder);
    }
    if (tried == 0)
        GTEST_SKIP() << "no sample for ANSI code page " << GetACP();
}

TEST(Win32Registry, NameWithoutAnAnsiFormIsNotFound)
{
    // A '?' in place of the character would name some other key.
    const char* name = GetACP() == 932 ? "Café" : "ツール";
    ScratchKey scratch;
    scratch.SetString(Widen(name), L"v", L"x");
    Win32Registry registry;
    RegHandle key = 0;
    EXPECT_EQ(registry.OpenKey(kHKeyCurrentUser, scratch.Path() + "\\" + name, 0, kKeyRead, key),
              kErrorFileNotFound);
    EXPECT_EQ(key, 0u);
}

}  // namespace
}  // namespace varno::platform::win32
