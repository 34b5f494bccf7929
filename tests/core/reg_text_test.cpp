#include "core/reg_text.h"

#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <tuple>

namespace varno {
namespace {

using Bytes = std::vector<unsigned char>;
constexpr const char* kKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Test";

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
    const auto doc = parseRegText(text, "test.reg", warnings);
    ASSERT_TRUE(doc);
    EXPECT_EQ(warnings.str(), "");
    for (const auto& [line, name, type, data] : cases) {
        const RegValue* v = doc->findValue(kKey, name);
        ASSERT_NE(v, nullptr) << line;
        EXPECT_EQ(std::make_pair(v->type, v->data), std::make_pair(type, data)) << line;
    }
}

TEST(RegText, MalformedLinesAreSkippedWithFileAndLine)
{
    std::ostringstream out;
    const auto doc = parseRegText("\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n"               // 1
                                  "[HKEY_LOCAL_MACHINE\\A]\n\"bad escape\"=\"C:\\x\"\n"                  // 2, 3
                                  "\"d\"=dword:123456789\n\"h\"=hex:1,2g\ngarbage\n"                     // 4 (nine digits), 5, 6
                                  "\"good\"=\"yes\"\n[HKEY_NOWHERE\\B]\n\"lost\"=\"x\"\n"                // 7, 8, 9 (no key)
                                  "[HKEY_LOCAL_MACHINE\\C\n[HKEY_LOCAL_MACHINE\\D]\n\"ok\"=dword:1\n",  // 10-12
                                  "test.reg", out);
    const std::string warnings = out.str();
    ASSERT_TRUE(doc);
    for (int line = 1; line <= 12; ++line)
        EXPECT_EQ(warnings.find("test.reg:" + std::to_string(line) + ":") != std::string::npos,
                  line >= 3 && line <= 10 && line != 7)
            << line << " in\n"
            << warnings;
    EXPECT_NE(doc->findValue("HKEY_LOCAL_MACHINE\\A", "good"), nullptr);
    EXPECT_NE(doc->findValue("HKEY_LOCAL_MACHINE\\D", "ok"), nullptr);
    EXPECT_EQ(doc->findValue("HKEY_LOCAL_MACHINE\\A", "bad escape"), nullptr);
}

TEST(RegText, KeysAndValuesAreAddedAndDeletedWithWhatLiesBelow)
{
    std::ostringstream warnings;
    const auto doc = parseRegText("REGEDIT4\n"
                                  "[HKEY_LOCAL_MACHINE\\A\\B\\C]\n\"v\"=\"1\"\n"
                                  "[hkey_local_machine\\a\\b2]\n\"w\"=\"2\"\n\"gone\"=\"3\"\n\"gone\"=-\n"
                                  "[-HKEY_LOCAL_MACHINE\\A\\B]\n"
                                  "[HKEY_LOCAL_MACHINE\\A\\B\\New]\n",
                                  "test.reg", warnings);
    ASSERT_TRUE(doc);
    const std::tuple<const char*, bool> keys[] = {
        {"HKEY_LOCAL_MACHINE\\A", true},       {"HKEY_LOCAL_MACHINE\\a\\B2", true},
        {"HKEY_LOCAL_MACHINE\\A\\B", true},    {"HKEY_LOCAL_MACHINE\\A\\B\\C", false},
        {"HKEY_LOCAL_MACHINE\\A\\B\\NEW", true},
    };
    for (const auto& [path, present] : keys)
        EXPECT_EQ(doc->hasKey(path), present) << path;
    EXPECT_EQ(doc->findValue("HKEY_LOCAL_MACHINE\\A\\B\\C", "v"), nullptr);
    EXPECT_NE(doc->findValue("HKEY_LOCAL_MACHINE\\A\\B2", "W"), nullptr);
    EXPECT_EQ(doc->findValue("HKEY_LOCAL_MACHINE\\A\\B2", "gone"), nullptr);
}

// Shapes that cost the square of their size with one string per parent
// path, or a scan of every key per deletion; ctest's timeout catches a
// reader that has gone back to that.
TEST(RegText, DeepKeysAndManyDeletionsStayLinear)
{
    std::string deep = "REGEDIT4\n[HKEY_LOCAL_MACHINE";
    for (int level = 0; level < 200000; ++level)
        deep += "\\k";
    deep += "]\n\"v\"=\"found\"\n";
    // Values under a deep key: each line must cost its own length, not the
    // key's depth again.
    for (int value = 0; value < 100000; ++value)
        deep += value % 2 ? "\"x\"=-\n" : "@=\"\"\n";
    deep += "\"x\"=\"kept\"\n\"gone\"=\"1\"\n\"GONE\"=-\n";
    std::string deletions = "REGEDIT4\n";
    for (int key = 0; key < 200000; ++key)
        deletions += "[HKEY_LOCAL_MACHINE\\K" + std::to_string(key) + "]\n";
    for (int key = 0; key < 200000; ++key)
        deletions += "[-HKEY_LOCAL_MACHINE\\K" + std::to_string(key) + "]\n";
    std::ostringstream warnings;
    const auto deepDoc = parseRegText(deep, "deep.reg", warnings);
    const auto deletedDoc = parseRegText(deletions, "deletions.reg", warnings);
    ASSERT_TRUE(deepDoc && deletedDoc);
    const std::string deepPath = deep.substr(10, deep.find(']') - 10);
    const std::tuple<const char*, std::optional<Bytes>> values[] = {
        {"v", Text("found")}, {"", Text("")}, {"X", Text("kept")}, {"gone", std::nullopt}};
    for (const auto& [name, expected] : values) {
        const RegValue* found = deepDoc->findValue(deepPath, name);
        ASSERT_EQ(found != nullptr, expected.has_value()) << name;
        if (found) {
            EXPECT_EQ(found->data, *expected) << name;
        }
    }
    EXPECT_FALSE(deletedDoc->hasKey("HKEY_LOCAL_MACHINE\\K199999"));
    EXPECT_EQ(warnings.str(), "");
}

TEST(RegText, AFileOfBadLinesGivesAFewWarningsAndACount)
{
    std::string text = "REGEDIT4\n";
    for (int line = 0; line < 1000; ++line)
        text += "garbage\n";
    std::ostringstream warnings;
    ASSERT_TRUE(parseRegText(text, "bad.reg", warnings));
    const std::string out = warnings.str();
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 11) << out;
    EXPECT_NE(out.find("990 more lines skipped"), std::string::npos) << out;
}

}  // namespace
}  // namespace varno
