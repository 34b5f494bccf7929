// The version resource and icon, read back as Windows shows them. The marker
// tool is built as the program is, so it carries the same resources.
#include "win32_test_support.h"

namespace varno {
namespace {

using win32_testing::WideToUtf8;
using win32_testing::Win32;

TEST_F(Win32, VersionResourceIconAndSubsystem)
{
    const std::wstring exe = win32_testing::Beside(L"marker_tool.exe");
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(exe.c_str(), &ignored);
    std::vector<unsigned char> block(size);
    ASSERT_TRUE(size > 0 && GetFileVersionInfoW(exe.c_str(), 0, size, block.data()));
    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", &value, &length));
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(4, 1));  // 1.4.0.0
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(4, 1));
    EXPECT_EQ(fixed->dwProductVersionLS, 0u);
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &value, &length));
    EXPECT_EQ(*static_cast<const DWORD*>(value), MAKELONG(0x0411, 1200));  // Japanese, UTF-16

    const std::pair<const wchar_t*, const char*> texts[] = {
        {L"FileVersion", "1.04"},
        {L"ProductVersion", "1.04"},
        {L"ProductName", "ゾルテカ"},
        {L"InternalName", "varno"},
        {L"OriginalFilename", "varno.exe"},
        {L"FileDescription", "ゾルテカ作成ソフトです"},
    };
    for (const auto& [name, text] : texts) {
        SCOPED_TRACE(WideToUtf8(name));
        const std::wstring path = std::wstring(L"\\StringFileInfo\\041104B0\\") + name;
        ASSERT_TRUE(VerQueryValueW(block.data(), path.c_str(), &value, &length));
        EXPECT_EQ(WideToUtf8(static_cast<const wchar_t*>(value)), text);
    }

    HMODULE module = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module, nullptr);
    // The icon has a 32-pixel image, stored as a bitmap: a PNG one would
    // start with its signature instead.
    HRSRC group = FindResourceW(module, L"IDI_ICON1", MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */);
    ASSERT_NE(group, nullptr);
    auto* directory = static_cast<BYTE*>(LockResource(LoadResource(module, group)));
    const int id = LookupIconIdFromDirectoryEx(directory, TRUE, 32, 32, LR_DEFAULTCOLOR);
    HRSRC image = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(3) /* RT_ICON */);
    ASSERT_NE(image, nullptr);
    const auto* header =
        static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(module, image)));
    EXPECT_EQ(header->biSize, sizeof(BITMAPINFOHEADER));
    EXPECT_EQ(header->biWidth, 32);

    // A Windows program, which opens no console window. (The low bits of the
    // handle only say how the file was loaded.)
    const auto* base =
        reinterpret_cast<const BYTE*>(reinterpret_cast<ULONG_PTR>(module) & ~ULONG_PTR{3});
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    EXPECT_EQ(nt->OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
    FreeLibrary(module);
}

}  // namespace
}  // namespace varno
