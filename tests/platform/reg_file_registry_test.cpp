#include "platform/reg_file_registry.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace varno::platform {
namespace {

using Bytes = std::vector<unsigned char>;

constexpr const char* kKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Test";

Bytes Text(const std::string& s)
{
    Bytes b(s.begin(), s.end());
    b.push_back(0);
    return b;
}

RegDocument Parse(const std::string& text, std::string* warnings = nullptr)
{
    std::ostringstream out;
    auto document = ParseRegText(text, "test.reg", out);
    if (warnings)
        *warnings = out.str();
    EXPECT_TRUE(document.has_value()) << out.str();
    return document.value_or(RegDocument{});
}

TEST(RegText, AcceptsBothHeadersWithBomAndCrLf)
{
    for (const std::string header : {"REGEDIT4", "Windows Registry Editor Version 5.00",
                                     "\xEF\xBB\xBFWindows Registry Editor Version 5.00", "\n\nREGEDIT4"}) {
        for (const std::string eol : {"\n", "\r\n"}) {
            std::string warnings;
            const RegDocument doc =
                Parse(header + eol + eol + "[" + kKey + "]" + eol + "\"A\"=\"x\"" + eol, &warnings);
            const RegValue* v = doc.FindValue(kKey, "A");
            ASSERT_NE(v, nullptr) << header;
            EXPECT_EQ(v->data, Text("x"));
            EXPECT_EQ(warnings, "");
        }
    }
}

TEST(RegText, WithoutHeaderIsNoRegistryFile)
{
    for (const std::string text : {"", "[HKEY_LOCAL_MACHINE\\A]\n", "REGEDIT5\n", "Windows Registry Editor Version 4.00\n"}) {
        std::ostringstream warnings;
        EXPECT_FALSE(ParseRegText(text, "x.reg", warnings).has_value()) << text;
        EXPECT_NE(warnings.str().find("x.reg"), std::string::npos);
    }
}

struct ValueCase {
    const char* lines;  // after the key line
    const char* name;
    std::uint32_t type;
    Bytes data;
};

void PrintTo(const ValueCase& c, std::ostream* os)
{
    *os << "value " << c.name;
}

class RegValues : public ::testing::TestWithParam<ValueCase> {};

TEST_P(RegValues, ReadAsWritten)
{
    const ValueCase& c = GetParam();
    std::string warnings;
    const RegDocument doc = Parse(std::string("REGEDIT4\n[") + kKey + "]\n" + c.lines + "\n", &warnings);
    EXPECT_EQ(warnings, "");
    const RegValue* v = doc.FindValue(kKey, c.name);
    ASSERT_NE(v, nullptr) << c.lines;
    EXPECT_EQ(v->type, c.type) << c.lines;
    EXPECT_EQ(v->data, c.data) << c.lines;
}

INSTANTIATE_TEST_SUITE_P(
    EachForm, RegValues,
    ::testing::Values(
        ValueCase{R"("PATH"="C:\\Program Files\\x.exe")", "PATH", kRegSz, Text("C:\\Program Files\\x.exe")},
        ValueCase{R"("q"="say \"hi\"")", "q", kRegSz, Text("say \"hi\"")},
        ValueCase{R"("ends"="C:\\")", "ends", kRegSz, Text("C:\\")},
        ValueCase{R"("jp"="ゾルテカ")", "jp", kRegSz, Text("ゾルテカ")},
        ValueCase{R"("empty"="")", "empty", kRegSz, Text("")},
        ValueCase{R"(@="default")", "", kRegSz, Text("default")},
        ValueCase{R"("name with = sign"="v")", "name with = sign", kRegSz, Text("v")},
        ValueCase{R"( "spaced" = "v" ; a comment)", "spaced", kRegSz, Text("v")},
        ValueCase{R"("case"="v")", "CASE", kRegSz, Text("v")},
        ValueCase{"\"d\"=dword:0000001a", "d", kRegDword, Bytes{0x1A, 0, 0, 0}},
        ValueCase{"\"d\"=DWORD:FFFFFFFF", "d", kRegDword, Bytes{0xFF, 0xFF, 0xFF, 0xFF}},
        ValueCase{"\"d\"=dword:12345678", "d", kRegDword, Bytes{0x78, 0x56, 0x34, 0x12}},
        ValueCase{"\"b\"=hex:01,ab,FF", "b", kRegBinary, Bytes{0x01, 0xAB, 0xFF}},
        ValueCase{"\"b\"=hex:", "b", kRegBinary, Bytes{}},
        ValueCase{"\"e\"=hex(2):25,00,41,00,00,00", "e", kRegExpandSz, Bytes{0x25, 0, 0x41, 0, 0, 0}},
        ValueCase{"\"m\"=hex(7):61,00,00", "m", kRegMultiSz, Bytes{0x61, 0, 0}},
        ValueCase{"\"q\"=hex(b):01,00,00,00,00,00,00,00", "q", kRegQword, Bytes{1, 0, 0, 0, 0, 0, 0, 0}},
        ValueCase{"\"s\"=hex(1):41,42,00", "s", kRegSz, Bytes{0x41, 0x42, 0}},
        ValueCase{"\"n\"=hex(0):", "n", kRegNone, Bytes{}},
        ValueCase{"\"c\"=hex:01,02,\\\n  03,04,\\\r\n  05", "c", kRegBinary, Bytes{1, 2, 3, 4, 5}},
        ValueCase{"\"c\"=hex(2):41,\\\n\t00", "c", kRegExpandSz, Bytes{0x41, 0}},
        ValueCase{"\"later\"=\"1\"\n\"later\"=\"2\"", "later", kRegSz, Text("2")}),
    [](const auto& info) {
        std::string name = "n" + std::to_string(info.index) + "_";
        for (char ch : std::string(info.param.name))
            name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
        return name;
    });

TEST(RegText, MalformedLinesAreSkippedWithFileAndLine)
{
    const std::string text =
        "REGEDIT4\n"                         // 1
        "[HKEY_LOCAL_MACHINE\\A]\n"          // 2
        "\"bad escape\"=\"C:\\x\"\n"         // 3
        "\"unterminated\"=\"abc\n"           // 4
        "\"d\"=dword:123456789\n"            // 5: nine digits
        "\"d2\"=dword:xyz\n"                 // 6
        "\"h\"=hex:1,2g\n"                   // 7
        "\"h2\"=hex(zz):01\n"                // 8
        "\"noeq\" \"x\"\n"                   // 9
        "garbage\n"                          // 10
        "\"good\"=\"yes\"\n"                 // 11
        "[HKEY_NOWHERE\\B]\n"                // 12
        "\"lost\"=\"x\"\n"                   // 13: no key to go in
        "[HKEY_LOCAL_MACHINE\\C\n"           // 14
        "[HKEY_LOCAL_MACHINE\\D]\n"          // 15
        "\"ok\"=dword:1\n";                  // 16
    std::string warnings;
    const RegDocument doc = Parse(text, &warnings);
    for (int line : {3, 4, 5, 6, 7, 8, 9, 10, 12, 13, 14})
        EXPECT_NE(warnings.find("test.reg:" + std::to_string(line) + ":"), std::string::npos)
            << "line " << line << " in\n" << warnings;
    for (int line : {1, 2, 11, 15, 16})
        EXPECT_EQ(warnings.find("test.reg:" + std::to_string(line) + ":"), std::string::npos) << line;
    ASSERT_NE(doc.FindValue("HKEY_LOCAL_MACHINE\\A", "good"), nullptr);
    EXPECT_NE(doc.FindValue("HKEY_LOCAL_MACHINE\\D", "ok"), nullptr);
    EXPECT_EQ(doc.FindValue("HKEY_LOCAL_MACHINE\\A", "bad escape"), nullptr);
    EXPECT_FALSE(doc.HasKey("HKEY_LOCAL_MACHINE\\C"));
}

TEST(RegText, DeletionsAndParentKeys)
{
    const RegDocument doc = Parse(
        "Windows Registry Editor Version 5.00\n"
        "; comment\n"
        "[HKEY_LOCAL_MACHINE\\A\\B\\C]\n\"v\"=\"1\"\n\"w\"=\"2\"\n\"w\"=-\n"
        "[HKEY_LOCAL_MACHINE\\X\\Y]\n\"v\"=\"1\"\n"
        "[-HKEY_LOCAL_MACHINE\\X]\n"
        "[hkey_local_machine\\a\\b\\c]\n\"lower\"=\"3\"\n");
    EXPECT_TRUE(doc.HasKey("HKEY_LOCAL_MACHINE\\A\\B"));
    EXPECT_TRUE(doc.HasKey("hkey_local_machine\\a"));
    EXPECT_NE(doc.FindValue("HKEY_LOCAL_MACHINE\\A\\B\\C", "v"), nullptr);
    EXPECT_EQ(doc.FindValue("HKEY_LOCAL_MACHINE\\A\\B\\C", "w"), nullptr);
    EXPECT_NE(doc.FindValue("HKEY_LOCAL_MACHINE\\A\\B\\C", "LOWER"), nullptr);
    EXPECT_FALSE(doc.HasKey("HKEY_LOCAL_MACHINE\\X"));
    EXPECT_FALSE(doc.HasKey("HKEY_LOCAL_MACHINE\\X\\Y"));
}

class TempDir {
public:
    TempDir()
    {
        const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        path_ = std::filesystem::temp_directory_path() / ("varno-reg-" + name + "-" + std::to_string(std::rand()));
        std::filesystem::create_directories(path_);
    }
    ~TempDir() { std::filesystem::remove_all(path_); }
    const std::filesystem::path& path() const { return path_; }

    void Write(const std::filesystem::path& relative, const std::string& text) const
    {
        std::filesystem::create_directories((path_ / relative).parent_path());
        std::ofstream(path_ / relative, std::ios::binary) << text;
    }

private:
    std::filesystem::path path_;
};

std::string ValueText(const RegDocument& doc, const char* key, const char* name)
{
    const RegValue* v = doc.FindValue(key, name);
    return v ? std::string(v->data.begin(), v->data.end() - 1) : "<none>";
}

constexpr const char* kMsinfo = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";

// The XDG search is what stands for the registry where there is none.
#ifndef _WIN32
TEST(MachineRegistry, FirstConfigDirWithAReadableFileWins)
{
    TempDir tmp;
    const auto reg = [](const char* path) {
        return std::string("REGEDIT4\n[") + kMsinfo + "]\n\"PATH\"=\"" + path + "\"\n";
    };
    tmp.Write("empty/other.txt", "");
    tmp.Write("utf16/ゾルテカ/registry.reg", "\xFF\xFE" "W\0i\0");
    tmp.Write("noheader/ゾルテカ/registry.reg", "[HKEY_LOCAL_MACHINE\\A]\n");
    tmp.Write("one/ゾルテカ/registry.reg", reg("/one"));
    tmp.Write("two/ゾルテカ/registry.reg", reg("/two"));
    const std::string base = tmp.path().string();

    struct Case {
        std::string dirs;
        std::string expected;
    } cases[] = {
        {base + "/one:" + base + "/two", "/one"},
        {base + "/empty:" + base + "/two:" + base + "/one", "/two"},
        {base + "/utf16:" + base + "/noheader:" + base + "/one", "/one"},
        {"::" + base + "/two", "/two"},
        {"relative/one:" + base + "/two", "/two"},
        {base + "/empty", "/usr/bin/hardinfo"},
        {base + "/missing", "/usr/bin/hardinfo"},
    };
    for (const Case& c : cases) {
        std::ostringstream warnings;
        EXPECT_EQ(ValueText(LoadMachineRegistry(c.dirs.c_str(), warnings), kMsinfo, "PATH"), c.expected)
            << c.dirs;
    }
}

#endif

TEST(MachineRegistry, DefaultPointsAtTheInformationViewer)
{
    const RegDocument builtIn = DefaultMachineRegistry();
    EXPECT_EQ(ValueText(builtIn, kMsinfo, "PATH"), "/usr/bin/hardinfo");
    EXPECT_EQ(builtIn.FindValue(kMsinfo, "PATH")->type, kRegSz);
}

class FileRegistry : public ::testing::Test {
protected:
    RegFileRegistry registry{[this] {
        ++loads;
        return Parse(text);
    }};
    std::string text = std::string("REGEDIT4\n[") + kKey + "]\n\"s\"=\"abc\"\n\"d\"=dword:7\n";
    int loads = 0;
};

TEST_F(FileRegistry, OpensForReadingOnly)
{
    struct Case {
        std::uint32_t access;
        long result;
    } cases[] = {
        {kKeyRead, kErrorSuccess},       {0x1, kErrorSuccess},           {0x20000, kErrorSuccess},
        {0x2003F, kErrorAccessDenied},   {0xF003F, kErrorAccessDenied},  {0x2, kErrorAccessDenied},
        {0x4, kErrorAccessDenied},       {0x20, kErrorAccessDenied},     {0x40000000, kErrorAccessDenied},
    };
    for (const Case& c : cases) {
        RegHandle h = 99;
        EXPECT_EQ(registry.OpenKey(kHKeyLocalMachine, "SOFTWARE\\Test", 0, c.access, h), c.result)
            << std::hex << c.access;
        if (c.result == kErrorSuccess) {
            EXPECT_NE(h, 0u);
            EXPECT_EQ(registry.CloseKey(h), kErrorSuccess);
        } else {
            EXPECT_EQ(h, 0u);
        }
    }
    EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST_F(FileRegistry, OpenFindsKeysWithoutRegardToCase)
{
    struct Case {
        RegHandle root;
        const char* subKey;
        long result;
    } cases[] = {
        {kHKeyLocalMachine, "SOFTWARE\\Test", kErrorSuccess},
        {kHKeyLocalMachine, "software\\test", kErrorSuccess},
        {kHKeyLocalMachine, "SOFTWARE\\Test\\", kErrorSuccess},
        {kHKeyLocalMachine, "SOFTWARE", kErrorSuccess},
        {kHKeyLocalMachine, "", kErrorSuccess},
        {kHKeyLocalMachine, "SOFTWARE\\Missing", kErrorFileNotFound},
        {kHKeyLocalMachine, "\\SOFTWARE\\Test", kErrorFileNotFound},
        {kHKeyLocalMachine, "SOFTWARE\\\\Test", kErrorFileNotFound},
        {kHKeyCurrentUser, "SOFTWARE\\Test", kErrorFileNotFound},
        {0, "SOFTWARE\\Test", kErrorInvalidHandle},
        {12345, "SOFTWARE\\Test", kErrorInvalidHandle},
    };
    for (const Case& c : cases) {
        RegHandle h = 0;
        EXPECT_EQ(registry.OpenKey(c.root, c.subKey, 0, kKeyRead, h), c.result) << c.subKey;
        if (h)
            registry.CloseKey(h);
    }
    EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST_F(FileRegistry, QueryFollowsTheDataSizeContract)
{
    RegHandle h = 0;
    ASSERT_EQ(registry.OpenKey(kHKeyLocalMachine, "SOFTWARE\\Test", 0, kKeyRead, h), kErrorSuccess);
    unsigned char buffer[8] = {};
    std::uint32_t type = 0;

    std::uint32_t size = sizeof buffer;
    EXPECT_EQ(registry.QueryValue(h, "S", type, buffer, size), kErrorSuccess);
    EXPECT_EQ(type, kRegSz);
    EXPECT_EQ(size, 4u);
    EXPECT_STREQ(reinterpret_cast<char*>(buffer), "abc");

    size = 4;  // exactly the size, terminator included
    EXPECT_EQ(registry.QueryValue(h, "s", type, buffer, size), kErrorSuccess);
    size = 3;
    buffer[0] = 'z';
    EXPECT_EQ(registry.QueryValue(h, "s", type, buffer, size), kErrorMoreData);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(buffer[0], 'z');
    size = 0;
    EXPECT_EQ(registry.QueryValue(h, "s", type, nullptr, size), kErrorSuccess);
    EXPECT_EQ(size, 4u);

    size = sizeof buffer;
    EXPECT_EQ(registry.QueryValue(h, "d", type, buffer, size), kErrorSuccess);
    EXPECT_EQ(type, kRegDword);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(registry.QueryValue(h, "nothing", type, buffer, size), kErrorFileNotFound);

    EXPECT_EQ(registry.CloseKey(h), kErrorSuccess);
    EXPECT_EQ(registry.CloseKey(h), kErrorInvalidHandle);
    EXPECT_EQ(registry.QueryValue(h, "s", type, buffer, size), kErrorInvalidHandle);
    EXPECT_EQ(registry.CloseKey(0), kErrorInvalidHandle);
    EXPECT_EQ(registry.CloseKey(kHKeyLocalMachine), kErrorSuccess);
}

TEST_F(FileRegistry, EachLookupReadsTheFileAnewAndAHandleKeepsItsSnapshot)
{
    RegHandle before = 0;
    ASSERT_EQ(registry.OpenKey(kHKeyLocalMachine, "SOFTWARE\\Test", 0, kKeyRead, before), kErrorSuccess);
    text = std::string("REGEDIT4\n[") + kKey + "]\n\"s\"=\"changed\"\n";
    RegHandle after = 0;
    ASSERT_EQ(registry.OpenKey(kHKeyLocalMachine, "SOFTWARE\\Test", 0, kKeyRead, after), kErrorSuccess);
    EXPECT_EQ(loads, 2);

    // A sub-key opened below an open handle sees that handle's document.
    RegHandle below = 0;
    EXPECT_EQ(registry.OpenKey(before, "", 0, kKeyRead, below), kErrorSuccess);
    EXPECT_EQ(loads, 2);

    unsigned char buffer[16] = {};
    std::uint32_t type = 0;
    std::uint32_t size = sizeof buffer;
    ASSERT_EQ(registry.QueryValue(below, "s", type, buffer, size), kErrorSuccess);
    EXPECT_STREQ(reinterpret_cast<char*>(buffer), "abc");
    size = sizeof buffer;
    ASSERT_EQ(registry.QueryValue(after, "s", type, buffer, size), kErrorSuccess);
    EXPECT_STREQ(reinterpret_cast<char*>(buffer), "changed");
    for (RegHandle h : {before, after, below})
        registry.CloseKey(h);
    EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

}  // namespace
}  // namespace varno::platform
