#include "win32_launcher.h"

#include "platform/win32/debug_line.h"
#include "platform/win32/system_error_text.h"
#include "platform/win32/text_conversion.h"
#include "platform/win32/windows_api.h"

#include <cstdint>
#include <cwctype>
#include <stdexcept>

namespace varno::platform::win32 {

namespace {

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle()
    {
        if (handle_ != INVALID_HANDLE_VALUE)
            CloseHandle(handle_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

bool endsWithFolded(const std::wstring& text, const wchar_t* suffix)
{
    const std::wstring_view end(suffix);
    if (text.size() < end.size())
        return false;
    for (std::size_t i = 0; i < end.size(); ++i) {
        if (std::towlower(text[text.size() - end.size() + i]) != end[i])
            return false;
    }
    return true;
}

bool readAt(HANDLE file, std::uint32_t offset, void* into, DWORD size)
{
    LARGE_INTEGER at{};
    at.QuadPart = offset;
    DWORD got = 0;
    return SetFilePointerEx(file, at, nullptr, FILE_BEGIN) && ReadFile(file, into, size, &got, nullptr) &&
           got == size;
}

// An executable image: "MZ", and at the offset its header names, "PE\0\0".
bool isExecutableImage(HANDLE file)
{
    unsigned char dos[64];
    if (!readAt(file, 0, dos, sizeof dos) || dos[0] != 'M' || dos[1] != 'Z')
        return false;
    const std::uint32_t peOffset = dos[0x3C] | dos[0x3D] << 8 | dos[0x3E] << 16 | std::uint32_t(dos[0x3F]) << 24;
    unsigned char signature[4];
    return readAt(file, peOffset, signature, sizeof signature) && signature[0] == 'P' && signature[1] == 'E' &&
           signature[2] == 0 && signature[3] == 0;
}

[[noreturn]] void refuse(const std::string& program, const std::string& why)
{
    const std::string text = "varno: cannot start \"" + program + "\": " + why;
    debugLine(text);
    throw std::runtime_error(text);
}

}  // namespace

void Win32Launcher::start(const std::string& program, int windowStyle)
{
    auto path = utf8ToWide(program);
    if (!path || path->empty())
        refuse(program, "no program path");
    // The system starts these through cmd.exe, which expands %VAR% in the
    // path and so may run another file altogether.
    if (endsWithFolded(*path, L".bat") || endsWithFolded(*path, L".cmd"))
        refuse(program, "a batch file, which would go through the command interpreter");

    // Checked before the start and held open until it, so that no other
    // file can take its place in between; only a file on disk is read, so
    // a pipe or a device cannot hold the program up.
    const FileHandle file(CreateFileW(path->c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE)
        refuse(program, systemErrorText(GetLastError()));
    if (GetFileType(file.get()) != FILE_TYPE_DISK || !isExecutableImage(file.get()))
        refuse(program, "not a program (no executable image)");

    // The child still parses its own command line: quoted, its first
    // argument is the whole path. A path cannot itself hold a quote.
    std::wstring commandLine = L"\"" + *path + L"\"";

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(windowStyle);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(path->c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process))
        refuse(program, systemErrorText(GetLastError()));

    // Nobody waits for the tool or asks how it ended.
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

}  // namespace varno::platform::win32
