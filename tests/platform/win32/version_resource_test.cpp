#include "app_info.h"
#include "platform/win32/windows_api.h"
#include "win32_test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

namespace varno {
namespace {

using win32_testing::Narrow;
using win32_testing::ProgramFolder;
using win32_testing::Widen;

class VersionResource : public ::testing::Test {
protected:
    void SetUp() override
    {
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeW(carrier.c_str(), &ignored);
        ASSERT_GT(size, 0u) << "no version resource in " << Narrow(carrier);
        block.resize(size);
        ASSERT_TRUE(GetFileVersionInfoW(carrier.c_str(), 0, size, block.data()));
    }

    std::wstring Text(const wchar_t* name)
    {
        void* value = nullptr;
        UINT length = 0;
        const std::wstring path = std::wstring(L"\\StringFileInfo\\041104B0\\") + name;
        if (!VerQueryValueW(block.data(), path.c_str(), &value, &length) || length == 0)
            return L"(absent)";
        return static_cast<const wchar_t*>(value);
    }

    const std::wstring carrier = ProgramFolder() + L"\\resource_carrier.exe";
    std::vector<unsigned char> block;
};

TEST_F(VersionResource, NumbersAreTheProjectVersion)
{
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    const DWORD high = MAKELONG(kVersionMinor, kVersionMajor);
    const DWORD low = MAKELONG(0, kVersionRevision);
    EXPECT_EQ(fixed->dwFileVersionMS, high);
    EXPECT_EQ(fixed->dwFileVersionLS, low);
    EXPECT_EQ(fixed->dwProductVersionMS, high);
    EXPECT_EQ(fixed->dwProductVersionLS, low);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
    EXPECT_EQ(fixed->dwFileFlags & fixed->dwFileFlagsMask, 0u);  // no debug or pre-release build
}

TEST_F(VersionResource, IsJapaneseInUnicode)
{
    WORD* translation = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &length));
    ASSERT_EQ(length, 2 * sizeof(WORD));
    EXPECT_EQ(translation[0], 0x0411);
    EXPECT_EQ(translation[1], 1200);
}

TEST_F(VersionResource, Texts)
{
    // Major, then minor in two digits: version 1.4.0 reads "1.04".
    char version[16];
    std::snprintf(version, sizeof version, "%d.%02d", kVersionMajor, kVersionMinor);
    ASSERT_EQ(kVersionRevision, 0) << "add the revision to the expected version text";

    const struct {
        const wchar_t* name;
        std::wstring text;
    } cases[] = {
        {L"FileVersion", Widen(version)},
        {L"ProductVersion", Widen(version)},
        {L"ProductName", L"\u30be\u30eb\u30c6\u30ab"},
        {L"InternalName", L"varno"},
        {L"OriginalFilename", L"varno.exe"},
        {L"FileDescription", Widen("ゾルテカ作成ソフトです")},
    };
    EXPECT_EQ(Widen(kAppTitle), cases[2].text);
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.name));
        EXPECT_EQ(Narrow(Text(c.name)), Narrow(c.text));
    }
}

TEST_F(VersionResource, CarriesTheIconWithA32PixelImage)
{
    HMODULE module = LoadLibraryExW(carrier.c_str(), nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module, nullptr);
    HRSRC group = FindResourceW(module, L"IDI_ICON1", MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */);
    ASSERT_NE(group, nullptr);
    auto* directory = static_cast<BYTE*>(LockResource(LoadResource(module, group)));
    ASSERT_NE(directory, nullptr);
    const int id = LookupIconIdFromDirectoryEx(directory, TRUE, 32, 32, LR_DEFAULTCOLOR);
    ASSERT_GT(id, 0);
    HRSRC image = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(3) /* RT_ICON */);
    ASSERT_NE(image, nullptr);
    const auto* header =
        static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(module, image)));
    // A PNG-compressed image would start with its signature instead.
    ASSERT_EQ(header->biSize, sizeof(BITMAPINFOHEADER));
    EXPECT_EQ(header->biWidth, 32);
    EXPECT_EQ(header->biHeight, 64);  // colour and mask, one above the other
    FreeLibrary(module);
}

TEST_F(VersionResource, ExecutableIsAWindowsProgramNotAConsoleOne)
{
    std::ifstream file(std::filesystem::path(carrier), std::ios::binary);
    ASSERT_TRUE(file);
    IMAGE_DOS_HEADER dos{};
    file.read(reinterpret_cast<char*>(&dos), sizeof dos);
    ASSERT_EQ(dos.e_magic, IMAGE_DOS_SIGNATURE);
    IMAGE_NT_HEADERS64 nt{};
    file.seekg(dos.e_lfanew);
    file.read(reinterpret_cast<char*>(&nt), sizeof nt);
    ASSERT_EQ(nt.Signature, IMAGE_NT_SIGNATURE);
    EXPECT_EQ(nt.OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
}

}  // namespace
}  // namespace varno
