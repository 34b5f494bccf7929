#include "platform/reg_file_registry.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace varno::platform {
namespace {

using Bytes = std::vector<unsigned char>;
constexpr const char* kKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Test";
constexpr const char* kMsinfo = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";

Bytes Text(const std::string& s)
{
    return Bytes(s.c_str(), s.c_str() + s.size() + 1);
}

std::optional<RegDocument> Parse(const std::string& text, std::string& warnings)
{
    std::ostringstream out;
    auto document = ParseRegText(text, "test.reg", out);
    warnings = out.str();
    return document;
}

TEST(RegText, ReadsEachFormOfValue)
{
    const struct {
        const char* line;
        const char* name;
        std::uint32_t type;
        Bytes data;
    } cases[] = {
        {R"("PATH"="C:\\Program Files\\x.exe")", "PATH", kRegSz, Text("C:\\Program Files\\x.exe")},
        {R"("q"="say \"hi\"")", "q", kRegSz, Text("say \"hi\"")},
        {R"("ends"="C:\\")", "ends", kRegSz, Text("C:\\")},  // not a continuation
        {R"("jp"="ゾルテカ")", "JP", kRegSz, Text("ゾルテカ")},
        {R"(@="default")", "", kRegSz, Text("default")},
        {R"( "spaced" = "v" ; comment)", "spaced", kRegSz, Text("v")},
        {"\"d\"=dword:12345678", "d", kRegDword, Bytes{0x78, 0x56, 0x34, 0x12}},
        {"\"b\"=hex:01,ab,FF", "b", kRegBinary, Bytes{0x01, 0xAB, 0xFF}},
        {"\"e\"=hex(2):25,00,\\\r\n  41,00,\\\n\t00,00", "e", kRegExpandSz, Bytes{0x25, 0, 0x41, 0, 0, 0}},
    };
    std::string text = std::string("REGEDIT4\n[") + kKey + "]\n", warnings;
    for (const auto& c : cases)
        text += c.line + std::string("\n");
    const auto doc = Parse(text, warnings);
    ASSERT_TRUE(doc);
    EXPECT_EQ(warnings, "");
    for (const auto& c : cases) {
        const RegValue* v = doc->FindValue(kKey, c.name);
        ASSERT_NE(v, nullptr) << c.line;
        EXPECT_EQ(std::make_pair(v->type, v->data), std::make_pair(c.type, c.data)) << c.line;
    }
}

TEST(RegText, MalformedLinesAreSkippedWithFileAndLine)
{
    std::string warnings;
    const auto doc = Parse(
        "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n"  // 1
        "[HKEY_LOCAL_MACHINE\\A]\n"    // 2
        "\"bad escape\"=\"C:\\x\"\n"   // 3
        "\"d\"=dword:123456789\n"      // 4: nine digits
        "\"h\"=hex:1,2g\n"             // 5
        "garbage\n"                    // 6
        "\"good\"=\"yes\"\n"           // 7
        "[HKEY_NOWHERE\\B]\n"          // 8
        "\"lost\"=\"x\"\n"             // 9: no key to go in
        "[HKEY_LOCAL_MACHINE\\C\n"     // 10
        "[HKEY_LOCAL_MACHINE\\D]\n"    // 11
        "\"ok\"=dword:1\n",            // 12
        warnings);
    ASSERT_TRUE(doc);
    for (int line = 1; line <= 12; ++line)
        EXPECT_EQ(warnings.find("test.reg:" + std::to_string(line) + ":") != std::string::npos,
                  line >= 3 && line <= 10 && line != 7)
            << line << " in\n" << warnings;
    EXPECT_NE(doc->FindValue("HKEY_LOCAL_MACHINE\\A", "good"), nullptr);
    EXPECT_NE(doc->FindValue("HKEY_LOCAL_MACHINE\\D", "ok"), nullptr);
    EXPECT_EQ(doc->FindValue("HKEY_LOCAL_MACHINE\\A", "bad escape"), nullptr);
}

// Configuration directories are absolute POSIX paths.
#ifndef _WIN32
TEST(MachineRegistry, FirstConfigDirWithARegistryFileWinsElseTheBuiltInDefault)
{
    const auto tmp = std::filesystem::temp_directory_path() / ("varno-reg-" + std::to_string(std::random_device{}()));
    const auto write = [&](const std::string& dir, const std::string& text) {
        std::filesystem::create_directories((tmp / dir / kRegFileName).parent_path());
        std::ofstream(tmp / dir / kRegFileName, std::ios::binary) << text;
    };
    const std::string reg = std::string("REGEDIT4\n[") + kMsinfo + "]\n\"PATH\"=";
    write("utf16", "\xFF\xFE" "W\0i\0");
    write("noheader", "[HKEY_LOCAL_MACHINE\\A]\n");
    write("one", reg + "\"/one\"\n");
    write("two", reg + "\"/two\"\n");
    const std::string t = tmp.string();
    const std::pair<std::string, std::string> cases[] = {
        {t + "/one:" + t + "/two", "/one"},
        {t + "/missing:" + t + "/two:" + t + "/one", "/two"},
        {t + "/utf16:" + t + "/noheader:" + t + "/one", "/one"},  // not a registry file: absent
        {"::relative/one:" + t + "/two", "/two"},
        {t + "/missing", "/usr/bin/hardinfo"},
    };
    for (const auto& [dirs, expected] : cases) {
        std::ostringstream warnings;
        const RegDocument doc = LoadMachineRegistry(dirs.c_str(), warnings);
        const RegValue* v = doc.FindValue(kMsinfo, "PATH");
        ASSERT_NE(v, nullptr) << dirs;
        EXPECT_EQ(std::make_pair(v->type, v->data), std::make_pair(kRegSz, Text(expected))) << dirs;
    }
    std::filesystem::remove_all(tmp);
}
#endif

TEST(RegFileRegistry, OpensForReadingOnlyAndReadsTheFileAnewEachTime)
{
    std::string text = std::string("REGEDIT4\n[") + kKey + "]\n\"s\"=\"abc\"\n";
    RegFileRegistry registry([&] {
        std::string warnings;
        return *Parse(text, warnings);
    });
    const struct {
        RegHandle root;
        const char* subKey;
        std::uint32_t access;
        long result;
    } opens[] = {
        {kHKeyLocalMachine, "software\\TEST", kKeyRead, kErrorSuccess},
        {kHKeyLocalMachine, "SOFTWARE\\Test", 0x2003F, kErrorAccessDenied},
        {kHKeyLocalMachine, "SOFTWARE\\Missing", kKeyRead, kErrorFileNotFound},
        {12345, "SOFTWARE\\Test", kKeyRead, kErrorInvalidHandle},
    };
    for (const auto& c : opens) {
        RegHandle h = 99;
        EXPECT_EQ(registry.OpenKey(c.root, c.subKey, 0, c.access, h), c.result) << c.subKey << ' ' << c.access;
        EXPECT_EQ(h != 0 && registry.CloseKey(h) == kErrorSuccess, c.result == kErrorSuccess);
    }

    RegHandle h = 0;
    unsigned char buffer[8] = {};
    std::uint32_t type = 0, size = 3;
    ASSERT_EQ(registry.OpenKey(kHKeyLocalMachine, "SOFTWARE\\Test", 0, kKeyRead, h), kErrorSuccess);
    EXPECT_EQ(registry.QueryValue(h, "s", type, buffer, size), kErrorMoreData);
    EXPECT_EQ(size, 4u);  // what it takes, terminator included
    EXPECT_EQ(registry.QueryValue(h, "none", type, buffer, size), kErrorFileNotFound);
    EXPECT_EQ(registry.CloseKey(h), kErrorSuccess);
    EXPECT_EQ(registry.CloseKey(h), kErrorInvalidHandle);

    text = std::string("REGEDIT4\n[") + kKey + "]\n\"S\"=\"new\"\n";
    ASSERT_EQ(registry.OpenKey(kHKeyLocalMachine, "SOFTWARE\\Test", 0, kKeyRead, h), kErrorSuccess);
    EXPECT_EQ(registry.QueryValue(h, "s", type, buffer, size), kErrorSuccess);  // exactly the size
    EXPECT_EQ(type, kRegSz);
    EXPECT_STREQ(reinterpret_cast<char*>(buffer), "new");
    EXPECT_EQ(registry.CloseKey(h), kErrorSuccess);
}

}  // namespace
}  // namespace varno::platform
