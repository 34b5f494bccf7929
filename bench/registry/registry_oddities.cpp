// How long reading the machine registry takes, and how much memory it needs
// at its peak, when the registry file is something odd: each case runs in a
// process of its own, so its peak is its own. Prints a Markdown table.
#include "platform/posix/reg_file_registry.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct Figures {
    double seconds;
    long peakKiB;
    bool usedNext;  // the next folder's file was found instead
};

std::string keysThenDeletions(std::size_t bytes)
{
    std::string text = "REGEDIT4\n";
    std::string deletions;
    for (int key = 0; text.size() + deletions.size() + 64 < bytes; ++key) {
        text += "[HKEY_LOCAL_MACHINE\\K" + std::to_string(key) + "]\n";
        deletions += "[-HKEY_LOCAL_MACHINE\\K" + std::to_string(key) + "]\n";
    }
    return text + deletions;
}

std::string deepKey(std::size_t bytes)
{
    std::string text = "REGEDIT4\n[HKEY_LOCAL_MACHINE";
    while (text.size() + 64 < bytes)
        text += "\\k";
    return text + "]\n\"v\"=\"x\"\n";
}

// Value lines under one deep key: each must cost its own length only.
std::string valuesUnderADeepKey(std::size_t bytes, int levels)
{
    std::string text = "REGEDIT4\n[HKEY_LOCAL_MACHINE";
    for (int level = 0; level < levels; ++level)
        text += "\\k";
    text += "]\n";
    for (int line = 0; text.size() + 64 < bytes; ++line)
        text += line % 2 ? "\"x\"=-\n" : "@=\"\"\n";
    return text;
}

Figures measure(const fs::path& first, const fs::path& next)
{
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return {-1, -1, false};
    const pid_t child = ::fork();
    if (child == 0) {
        const std::string dirs = first.string() + ":" + next.string();
        std::ostringstream warnings;
        const auto start = std::chrono::steady_clock::now();
        const varno::RegDocument document = varno::platform::loadMachineRegistry(dirs.c_str(), warnings);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        rusage usage{};
        ::getrusage(RUSAGE_SELF, &usage);
        const bool usedNext =
            document.findValue("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH") != nullptr;
        const Figures figures{seconds, usage.ru_maxrss, usedNext};
        [[maybe_unused]] auto written = ::write(pipeFds[1], &figures, sizeof figures);
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    Figures figures{-1, -1, false};
    [[maybe_unused]] auto got = ::read(pipeFds[0], &figures, sizeof figures);
    ::close(pipeFds[0]);
    ::waitpid(child, nullptr, 0);
    return figures;
}

}  // namespace

int main()
{
    const fs::path root = fs::temp_directory_path() / ("varno-registry-bench-" + std::to_string(::getpid()));
    const fs::path next = root / "next";
    fs::create_directories(next / "ゾルテカ");
    std::ofstream(next / "ゾルテカ" / "registry.reg")
        << "REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO]\n\"PATH\"=\"/usr/bin/true\"\n";

    const auto writeFile = [](const std::string& text) {
        return [text](const fs::path& file) { std::ofstream(file, std::ios::binary) << text; };
    };
    const std::pair<const char*, std::function<void(const fs::path&)>> cases[] = {
        {"a small good file (for comparison)", writeFile("REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n")},
        {"a FIFO", [](const fs::path& file) { ::mkfifo(file.c_str(), 0600); }},
        {"a link to /dev/zero", [](const fs::path& file) { fs::create_symlink("/dev/zero", file); }},
        {"a folder", [](const fs::path& file) { fs::create_directories(file); }},
        {"200 MB", [](const fs::path& file) { fs::resize_file((std::ofstream(file), file), 200'000'000); }},
        {"1 MiB: one key 524,000 levels deep", writeFile(deepKey(1 << 20))},
        {"1 MiB: a key 20,000 levels deep, then value lines under it",
         writeFile(valuesUnderADeepKey(1 << 20, 20000))},
        {"1 MiB: keys, then each key deleted", writeFile(keysThenDeletions(1 << 20))},
        {"1 MiB of lines that are no registry lines", writeFile("REGEDIT4\n" + std::string((1 << 20) - 9, '\n'))},
        {"UTF-16", writeFile(std::string("\xFF\xFE" "R\0E\0", 6))},
    };
    std::printf("| registry file | time ms | peak memory MiB | next folder's file used |\n|---|---|---|---|\n");
    int index = 0;
    for (const auto& [what, make] : cases) {
        const fs::path dir = root / std::to_string(index++);
        fs::create_directories(dir / "ゾルテカ");
        make(dir / "ゾルテカ" / "registry.reg");
        const Figures f = measure(dir, next);
        std::printf("| %s | %.1f | %.1f | %s |\n", what, f.seconds * 1000, f.peakKiB / 1024.0, f.usedNext ? "yes" : "no");
    }
    fs::remove_all(root);
    return 0;
}
