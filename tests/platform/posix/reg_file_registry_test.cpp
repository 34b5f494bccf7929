#include "platform/posix/reg_file_registry.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <sys/stat.h>

namespace varno::platform {
namespace {

using Bytes = std::vector<unsigned char>;
constexpr const char* kKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Test";
constexpr const char* kMsinfo = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";

Bytes Text(const std::string& s) { return Bytes(s.c_str(), s.c_str() + s.size() + 1); }

class MachineRegistry : public testing::Test {
protected:
    MachineRegistry()
        : tmp_(std::filesystem::temp_directory_path() / ("varno-reg-" + std::to_string(std::random_device{}())))
    {
    }
    ~MachineRegistry() override { std::filesystem::remove_all(tmp_); }

    // The registry file of folder `dir`, its folder made.
    std::filesystem::path File(const std::string& dir)
    {
        const auto file = tmp_ / dir / kRegFileName;
        std::filesystem::create_directories(file.parent_path());
        return file;
    }
    void Write(const std::string& dir, const std::string& text) { std::ofstream(File(dir), std::ios::binary) << text; }
    std::string Dir(const std::string& dir) const { return (tmp_ / dir).string(); }

    std::filesystem::path tmp_;
};

// A folder whose registry file cannot be used counts as having none, with
// one line saying why, and the next folder's file is used: never a hang,
// never the whole of a device read.
TEST_F(MachineRegistry, FirstUsableFileWinsWhateverLiesBeforeIt)
{
    const std::string reg = std::string("REGEDIT4\n[") + kMsinfo + "]\n\"PATH\"=";
    Write("one", reg + "\"/one\"\n");
    Write("two", reg + "\"/two\"\n");
    Write("utf16", std::string("\xFF\xFE" "W\0i\0", 6));
    Write("noheader", "[HKEY_LOCAL_MACHINE\\A]\n");
    Write("large", reg + "\"/large\"\n" + std::string(kMaxRegFileBytes, ';'));
    ASSERT_EQ(::mkfifo(File("fifo").c_str(), 0600), 0);
    std::filesystem::create_directories(File("folder"));
    std::filesystem::create_symlink("/dev/zero", File("zero"));
    std::filesystem::create_symlink(File("one"), File("link"));

    const struct {
        std::string dirs, found, warned;
    } cases[] = {
        {"::relative/one:" + Dir("missing") + ":" + Dir("two") + ":" + Dir("one"), "/two", ""},
        {Dir("utf16") + ":" + Dir("one"), "/one", "UTF-16"},
        {Dir("noheader") + ":" + Dir("one"), "/one", "not a registry file"},
        {Dir("fifo") + ":" + Dir("one"), "/one", "not a regular file"},
        {Dir("zero") + ":" + Dir("one"), "/one", "not a regular file"},
        {Dir("folder") + ":" + Dir("one"), "/one", "a folder"},
        {Dir("large") + ":" + Dir("one"), "/one", "larger than 1024 KiB"},
        {Dir("link") + ":" + Dir("two"), "/one", ""},
        {Dir("missing"), "/usr/bin/hardinfo", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dirs);
        std::ostringstream warnings;
        const RegDocument doc = loadMachineRegistry(c.dirs.c_str(), warnings);
        const RegValue* v = doc.findValue(kMsinfo, "PATH");
        ASSERT_NE(v, nullptr);
        EXPECT_EQ(std::make_pair(v->type, v->data), std::make_pair(kRegSz, Text(c.found)));
        const std::string said = warnings.str();
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), c.warned.empty() ? 0 : 1) << said;
        EXPECT_NE(said.find(c.warned), std::string::npos) << said;
    }
}

TEST(RegFileRegistry, OpensForReadingOnlyAndReadsTheFileAnewEachTime)
{
    std::string text = "\"s\"=\"abc\"";
    RegFileRegistry registry([&] {
        std::ostringstream warnings;
        return *parseRegText(std::string("REGEDIT4\n[") + kKey + "]\n" + text + "\n", "test.reg", warnings);
    });
    const std::tuple<RegHandle, const char*, std::uint32_t, long> opens[] = {
        {kHKeyLocalMachine, "software\\TEST", kKeyRead, kErrorSuccess},
        {kHKeyLocalMachine, "SOFTWARE\\Test", 0x2003F, kErrorAccessDenied},
        {kHKeyLocalMachine, "SOFTWARE\\Missing", kKeyRead, kErrorFileNotFound},
        {12345, "SOFTWARE\\Test", kKeyRead, kErrorInvalidHandle},
    };
    for (const auto& [root, subKey, access, result] : opens) {
        RegHandle h = 99;
        EXPECT_EQ(registry.openKey(root, subKey, 0, access, h), result) << subKey << ' ' << access;
        EXPECT_EQ(h != 0 && registry.closeKey(h) == kErrorSuccess, result == kErrorSuccess);
    }

    RegHandle h = 0;
    unsigned char buffer[8] = {};
    std::uint32_t type = 0, size = 3;
    ASSERT_EQ(registry.openKey(kHKeyLocalMachine, "SOFTWARE\\Test", 0, kKeyRead, h), kErrorSuccess);
    EXPECT_EQ(registry.queryValue(h, "s", type, buffer, size), kErrorMoreData);
    EXPECT_EQ(size, 4u);  // what it takes, terminator included
    EXPECT_EQ(registry.queryValue(h, "none", type, buffer, size), kErrorFileNotFound);
    EXPECT_EQ(registry.closeKey(h), kErrorSuccess);
    EXPECT_EQ(registry.closeKey(h), kErrorInvalidHandle);
    text = "\"S\"=\"new\"";

    ASSERT_EQ(registry.openKey(kHKeyLocalMachine, "SOFTWARE\\Test", 0, kKeyRead, h), kErrorSuccess);
    EXPECT_EQ(registry.queryValue(h, "s", type, buffer, size), kErrorSuccess);  // exactly the size
    EXPECT_EQ(std::make_pair(type, std::string(reinterpret_cast<char*>(buffer))),
              std::make_pair(kRegSz, std::string("new")));
    EXPECT_EQ(registry.closeKey(h), kErrorSuccess);
}

}  // namespace
}  // namespace varno::platform
