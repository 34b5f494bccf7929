#include "win32_test_support.h"

#include "platform/win32/text_conversion.h"
#include "platform/win32/windows_api.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace varno::win32_testing {

namespace {

std::atomic<int> counter{0};

// Unique within the run: parallel test processes differ in the process id.
std::wstring UniqueName(const wchar_t* prefix)
{
    return std::wstring(prefix) + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(counter++);
}

void RemoveTree(const std::wstring& path)
{
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring child = path + L"\\" + name;
            SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else
                DeleteFileW(child.c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(path.c_str());
}

}  // namespace

bool InScratchPrefix()
{
    wchar_t value[8];
    const DWORD length = GetEnvironmentVariableW(L"VARNO_SCRATCH_WINEPREFIX", value, 8);
    return length == 1 && value[0] == L'1';
}

std::wstring Widen(const std::string& utf8)
{
    auto wide = platform::win32::Utf8ToWide(utf8);
    if (!wide)
        throw std::invalid_argument("not UTF-8");
    return *wide;
}

std::string Narrow(const std::wstring& wide)
{
    return platform::win32::WideToUtf8(wide);
}

std::wstring ProgramFolder()
{
    wchar_t module[MAX_PATH * 4];
    const DWORD length = GetModuleFileNameW(nullptr, module, MAX_PATH * 4);
    std::wstring path(module, length);
    return path.substr(0, path.find_last_of(L'\\'));
}

ScratchDir::ScratchDir()
{
    wchar_t temp[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    path_ = std::wstring(temp, length) + UniqueName(L"varno-test-");
    if (!CreateDirectoryW(path_.c_str(), nullptr))
        throw std::runtime_error("cannot make a scratch folder");
}

ScratchDir::~ScratchDir()
{
    RemoveTree(path_);
}

std::wstring ScratchDir::MakeDir(const std::wstring& relative) const
{
    const std::wstring path = *this / relative;
    std::filesystem::create_directories(path);
    return path;
}

std::wstring ScratchDir::WriteFile(const std::wstring& relative, const std::string& bytes) const
{
    const std::filesystem::path path = *this / relative;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
    return path.wstring();
}

std::wstring ScratchDir::CopyMarkerTool(const std::wstring& relative) const
{
    const std::filesystem::path path = *this / relative;
    std::filesystem::create_directories(path.parent_path());
    std::filesystem::copy_file(ProgramFolder() + L"\\marker_tool.exe", path,
                               std::filesystem::copy_options::overwrite_existing);
    return path.wstring();
}

ScratchKey::ScratchKey() : path_(L"Software\\varno-tests\\" + UniqueName(L"key-"))
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("cannot make a scratch key");
    RegCloseKey(key);
}

ScratchKey::~ScratchKey()
{
    RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, path_.c_str());
}

void ScratchKey::SetValue(const std::wstring& subKey, const std::wstring& name, std::uint32_t type,
                          const std::vector<unsigned char>& data) const
{
    const std::wstring path = subKey.empty() ? path_ : path_ + L"\\" + subKey;
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("cannot make a scratch sub-key");
    const LSTATUS result = RegSetValueExW(key, name.c_str(), 0, type, data.data(),
                                          static_cast<DWORD>(data.size()));
    RegCloseKey(key);
    if (result != ERROR_SUCCESS)
        throw std::runtime_error("cannot set a scratch value");
}

void ScratchKey::SetAnsiValue(const std::string& name, std::uint32_t type,
                              const std::vector<unsigned char>& data) const
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        throw std::runtime_error("cannot open the scratch key");
    const LSTATUS result = RegSetValueExA(key, name.c_str(), 0, type, data.data(),
                                          static_cast<DWORD>(data.size()));
    RegCloseKey(key);
    if (result != ERROR_SUCCESS)
        throw std::runtime_error("cannot set a scratch value");
}

void ScratchKey::SetString(const std::wstring& subKey, const std::wstring& name,
                           const std::wstring& text) const
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.c_str());
    SetValue(subKey, name, REG_SZ,
             std::vector<unsigned char>(bytes, bytes + (text.size() + 1) * sizeof(wchar_t)));
}

unsigned long RunAndWait(const std::wstring& commandLine)
{
    std::wstring line = commandLine;
    // Its chatter would only clutter the test output.
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    HANDLE nul = CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             &inheritable, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = startup.hStdOutput = startup.hStdError = nul;
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &startup, &process);
    CloseHandle(nul);
    if (!started)
        throw std::runtime_error("cannot run " + Narrow(commandLine));
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

void Reg(const std::wstring& arguments)
{
    ASSERT_EQ(RunAndWait(L"reg.exe " + arguments), 0u) << "reg.exe " << Narrow(arguments);
}

MarkerWatch::MarkerWatch(const ScratchDir& dir, Hold hold)
{
    const std::wstring name = L"Local\\" + UniqueName(L"varno-marker-");
    event_ = CreateEventW(nullptr, TRUE, FALSE, name.c_str());
    if (!event_)
        throw std::runtime_error("cannot make the marker event");
    file_ = dir / UniqueName(L"marker-");
    SetEnvironmentVariableW(L"VARNO_MARKER_FILE", file_.c_str());
    SetEnvironmentVariableW(L"VARNO_MARKER_EVENT", name.c_str());
    if (hold == kHoldUntilReleased) {
        const std::wstring releaseName = name + L"-release";
        release_ = CreateEventW(nullptr, TRUE, FALSE, releaseName.c_str());
        SetEnvironmentVariableW(L"VARNO_MARKER_RELEASE", releaseName.c_str());
    }
}

MarkerWatch::~MarkerWatch()
{
    SetEnvironmentVariableW(L"VARNO_MARKER_FILE", nullptr);
    SetEnvironmentVariableW(L"VARNO_MARKER_EVENT", nullptr);
    SetEnvironmentVariableW(L"VARNO_MARKER_RELEASE", nullptr);
    Release();
    if (release_)
        CloseHandle(release_);
    CloseHandle(event_);
}

void MarkerWatch::Release() const
{
    if (release_)
        SetEvent(release_);
}

MarkerReport MarkerWatch::Wait() const
{
    MarkerReport report;
    if (WaitForSingleObject(event_, 120000) != WAIT_OBJECT_0) {
        ADD_FAILURE() << "no marker tool reported";
        return report;
    }
    HANDLE in = CreateFileW(file_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
    if (in == INVALID_HANDLE_VALUE) {
        ADD_FAILURE() << "the marker file is missing";
        return report;
    }
    std::wstring text(32768, L'\0');
    DWORD read = 0;
    ReadFile(in, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &read, nullptr);
    CloseHandle(in);
    text.resize(read / sizeof(wchar_t));

    std::wistringstream lines(text);
    std::wstring flags, show;
    std::getline(lines, report.module);
    std::getline(lines, report.commandLine);
    std::getline(lines, flags);
    std::getline(lines, show);
    report.startupFlags = flags.empty() ? 0 : std::stoul(flags);
    report.showWindow = show.empty() ? -1 : std::stoi(show);
    return report;
}

}  // namespace varno::win32_testing
