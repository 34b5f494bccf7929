#pragma once

#include "platform/registry.h"

#include <cstdint>
#include <string>
#include <vector>

namespace varno::win32_testing {

// Tests that write machine-wide registry keys or the program's real per-user
// settings run only in the throwaway Wine prefix of windows-tests.sh.
bool InScratchPrefix();

std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& wide);

// The folder this test program was built into, with the helpers beside it.
std::wstring ProgramFolder();

// A fresh folder in the temporary folder, removed with what it holds.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::wstring& Path() const { return path_; }
    std::wstring operator/(const std::wstring& relative) const { return path_ + L"\\" + relative; }

    // Each creates what is missing on the way and returns the full path.
    std::wstring MakeDir(const std::wstring& relative) const;
    std::wstring WriteFile(const std::wstring& relative, const std::string& bytes) const;
    std::wstring CopyMarkerTool(const std::wstring& relative) const;

private:
    std::wstring path_;
};

// A fresh key below HKEY_CURRENT_USER, deleted with its subtree.
class ScratchKey {
public:
    ScratchKey();
    ~ScratchKey();
    ScratchKey(const ScratchKey&) = delete;
    ScratchKey& operator=(const ScratchKey&) = delete;

    // Relative to HKEY_CURRENT_USER, UTF-8, as the interfaces take it.
    std::string Path() const { return Narrow(path_); }

    void SetValue(const std::wstring& subKey, const std::wstring& name, std::uint32_t type,
                  const std::vector<unsigned char>& data) const;
    // Through the ANSI entry point: text data are bytes in the ANSI code page.
    void SetAnsiValue(const std::string& name, std::uint32_t type,
                      const std::vector<unsigned char>& data) const;
    void SetString(const std::wstring& subKey, const std::wstring& name,
                   const std::wstring& text) const;

private:
    std::wstring path_;
};

// Runs a console program to its end; its exit code.
unsigned long RunAndWait(const std::wstring& commandLine);

// `reg.exe` with these arguments; fails the test unless it succeeds.
void Reg(const std::wstring& arguments);

// What a started marker tool wrote about its own start.
struct MarkerReport {
    std::wstring module;
    std::wstring commandLine;
    unsigned long startupFlags = 0;
    int showWindow = -1;
};

// Makes marker tools started from this process report to it, until
// destroyed.
class MarkerWatch {
public:
    enum Hold { kEndAtOnce, kHoldUntilReleased };
    explicit MarkerWatch(const ScratchDir& dir, Hold hold = kEndAtOnce);
    ~MarkerWatch();
    MarkerWatch(const MarkerWatch&) = delete;
    MarkerWatch& operator=(const MarkerWatch&) = delete;

    // Waits until a marker tool has reported. Fails the test if none does
    // within two minutes, so a launch that never happened cannot hang CI.
    MarkerReport Wait() const;

    // Lets a held marker tool end.
    void Release() const;

private:
    void* event_;
    void* release_ = nullptr;
    std::wstring file_;
};

}  // namespace varno::win32_testing
