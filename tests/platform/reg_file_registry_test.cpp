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

Bytes Text(const std::string& s) { return Bytes(s.c_str(), s.c_str() + s.size() + 1); }

TEST(RegText, ReadsEachFormOfValue)
{
    // Each line, the name looked up, and the value found.
    const std::tuple<const char*, const char*, std::uint32_t, Bytes> cases[] = {
        // A backslash before the closing quote is no continuation.
        {R"("q"="say \"hi\" in C:\\Program Files\\")", "q", kRegSz, Text("say \"hi\" in C:\\Program Files\\")},
        {R"("jp"="ゾルテカ")", "JP", kRegSz, Text("ゾルテカ")},
        {R"( @ = "default" ; comment)", "", kRegSz, Text("default")},
        {"\"d\"=dword:12345678", "d", kRegDword, Bytes{0x78, 0x56, 0x34, 0x12}},
        {"\"b\"=hex:01,ab,FF", "b", kRegBinary, Bytes{0x01, 0xAB, 0xFF}},
        {"\"e\"=hex(2):25,00,\\\r\n  41,00,\\\n\t00,00", "e", kRegExpandSz, Bytes{0x25, 0, 0x41, 0, 0, 0}},
    };
    std::string text = std::string("REGEDIT4\n[") + kKey + "]\n";
    for (const auto& c : cases)
        text += std::get<0>(c) + std::string("\n");
    std::ostringstream warnings;
    const auto doc = ParseRegText(text, "test.reg", warnings);
    ASSERT_TRUE(doc);
    EXPECT_EQ(warnings.str(), "");
    for (const auto& [line, name, type, data] : cases) {
        const RegValue* v = doc->FindValue(kKey, name);
        ASSERT_NE(v, nullptr) << line;
        EXPECT_EQ(std::make_pair(v->type, v->data), std::make_pair(type, data)) << line;
    }
}

TEST(RegText, MalformedLinesAreSkippedWithFileAndLine)
{
    std::ostringstream out;
    const auto doc = ParseRegText("\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n"  // 1
                                  "[HKEY_LOCAL_MACHINE\\A]\n\"bad escape\"=\"C:\\x\"\n"    // 2, 3
                                  "\"d\"=dword:123456789\n\"h\"=hex:1,2g\ngarbage\n"  // 4 (nine digits), 5, 6
                                  "\"good\"=\"yes\"\n[HKEY_NOWHERE\\B]\n\"lost\"=\"x\"\n"  // 7, 8, 9 (no key)
                                  "[HKEY_LOCAL_MACHINE\\C\n[HKEY_LOCAL_MACHINE\\D]\n\"ok\"=dword:1\n",  // 10-12
                                  "test.reg", out);
    const std::string warnings = out.str();
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
    const std::string reg = std::string("REGEDIT4\n[") + kMsinfo + "]\n\"PATH\"=";
    for (const auto& [dir, text] : {std::pair{"utf16", std::string("\xFF\xFE" "W\0i\0", 6)},
                                    {"noheader", "[HKEY_LOCAL_MACHINE\\A]\n"},
                                    {"one", reg + "\"/one\"\n"}, {"two", reg + "\"/two\"\n"}}) {
        std::filesystem::create_directories((tmp / dir / kRegFileName).parent_path());
        std::ofstream(tmp / dir / kRegFileName, std::ios::binary) << text;
    }
    const std::string t = tmp.string();
    const std::pair<std::string, std::string> cases[] = {
        {"::relative/one:" + t + "/missing:" + t + "/two:" + t + "/one", "/two"},
        {t + "/utf16:" + t + "/noheader:" + t + "/one", "/one"},  // not a registry file: absent
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
    std::string text = "\"s\"=\"abc\"";
    RegFileRegistry registry([&] {
        std::ostringstream warnings;
        return *ParseRegText(std::string("REGEDIT4\n[") + kKey + "]\n" + text + "\n", "test.reg", warnings);
    });
    const std::tuple<RegHandle, const char*, std::uint32_t, long> opens[] = {
        {kHKeyLocalMachine, "software\\TEST", kKeyRead, kErrorSuccess},
        {kHKeyLocalMachine, "SOFTWARE\\Test", 0x2003F, kErrorAccessDenied},
        {kHKeyLocalMachine, "SOFTWARE\\Missing", kKeyRead, kErrorFileNotFound},
        {12345, "SOFTWARE\\Test", kKeyRead, kErrorInvalidHandle},
    };
    for (const auto& [root, subKey, access, result] : opens) {
        RegHandle h = 99;
        EXPECT_EQ(registry.OpenKey(root, subKey, 0, access, h), result) << subKey << ' ' << access;
        EXPECT_EQ(h != 0 && registry.CloseKey(h) == kErrorSuccess, result == kErrorSuccess);
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
    text = "\"S\"=\"new\"";

    ASSERT_EQ(registry.OpenKey(kHKeyLocalMachine, "SOFTWARE\\Test", 0, kKeyRead, h), kErrorSuccess);
    EXPECT_EQ(registry.QueryValue(h, "s", type, buffer, size), kErrorSuccess);  // exactly the size
    EXPECT_EQ(std::make_pair(type, std::string(reinterpret_cast<char*>(buffer))),
              std::make_pair(kRegSz, std::string("new")));
    EXPECT_EQ(registry.CloseKey(h), kErrorSuccess);
}

}  // namespace
}  // namespace varno::platform
