#include "reg_file_registry.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <new>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace varno::platform {

namespace {

// Rights that would let the caller change the key: set value, create
// sub-key, create link, delete, write DAC, write owner, generic write and
// generic all.
constexpr std::uint32_t kWriteRights =
    0x2u | 0x4u | 0x20u | 0x10000u | 0x40000u | 0x80000u | 0x40000000u | 0x10000000u;

constexpr std::string_view kDefaultRegText =
    "Windows Registry Editor Version 5.00\n"
    "\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO]\n"
    "\"PATH\"=\"/usr/bin/hardinfo\"\n";

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// The file's bytes, or why they cannot be had. Opening with O_NONBLOCK
// means a FIFO without a writer cannot hold the caller up; only a regular
// file is then read.
std::optional<std::string> readSmallRegularFile(const std::string& file, std::string& why)
{
    const FileDescriptor fd(::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.get() < 0) {
        why = std::strerror(errno);
        return std::nullopt;
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) {
        why = std::strerror(errno);
        return std::nullopt;
    }
    if (!S_ISREG(info.st_mode)) {
        why = S_ISDIR(info.st_mode) ? "a folder, not a file" : "not a regular file";
        return std::nullopt;
    }
    if (static_cast<std::uintmax_t>(info.st_size) > kMaxRegFileBytes) {
        why = "larger than " + std::to_string(kMaxRegFileBytes / 1024) + " KiB";
        return std::nullopt;
    }
    // The size may change while it is read; never read past the limit.
    std::string text(kMaxRegFileBytes + 1, '\0');
    std::size_t got = 0;
    while (got < text.size()) {
        const ssize_t n = ::read(fd.get(), text.data() + got, text.size() - got);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            why = std::strerror(errno);
            return std::nullopt;
        }
        got += static_cast<std::size_t>(n);
    }
    if (got > kMaxRegFileBytes) {
        why = "larger than " + std::to_string(kMaxRegFileBytes / 1024) + " KiB";
        return std::nullopt;
    }
    text.resize(got);
    return text;
}

}  // namespace

std::optional<RegDocument> readRegFile(const std::string& file, std::ostream& warnings)
try {
    std::string why;
    const auto text = readSmallRegularFile(file, why);
    if (!text) {
        warnings << file << ": " << why << "; ignored\n";
        return std::nullopt;
    }
    if (text->size() >= 2 && (((*text)[0] == '\xFF' && (*text)[1] == '\xFE') ||
                              ((*text)[0] == '\xFE' && (*text)[1] == '\xFF'))) {
        warnings << file << ": UTF-16 text; save it as UTF-8; ignored\n";
        return std::nullopt;
    }
    return parseRegText(*text, file, warnings);
} catch (const std::exception& error) {
    // Out of memory, most likely: the folder counts as having no file.
    warnings << file << ": " << error.what() << "; ignored\n";
    return std::nullopt;
}

RegDocument defaultMachineRegistry()
{
    std::ostringstream none;
    return *parseRegText(kDefaultRegText, "built-in registry", none);
}

RegDocument loadMachineRegistry(const char* xdgConfigDirs, std::ostream& warnings)
{
    std::string_view dirs = (xdgConfigDirs && *xdgConfigDirs) ? xdgConfigDirs : "/etc/xdg";
    while (true) {
        const std::size_t colon = dirs.find(':');
        const std::string_view dir = dirs.substr(0, colon);
        // Relative entries are not allowed in the list; skip them.
        if (!dir.empty() && dir.front() == '/') {
            std::string file(dir);
            if (file.back() != '/')
                file += '/';
            file += kRegFileName;
            // A folder without the file is the common case, and no news.
            struct stat info {};
            if (::lstat(file.c_str(), &info) == 0 || errno != ENOENT) {
                if (auto document = readRegFile(file, warnings))
                    return std::move(*document);
            }
        }
        if (colon == std::string_view::npos)
            break;
        dirs.remove_prefix(colon + 1);
    }
    return defaultMachineRegistry();
}

RegFileRegistry::RegFileRegistry(Loader load) : load_(std::move(load)) {}

std::unique_ptr<RegFileRegistry> RegFileRegistry::forThisMachine()
{
    return std::make_unique<RegFileRegistry>(
        [] { return loadMachineRegistry(std::getenv("XDG_CONFIG_DIRS"), std::cerr); });
}

std::optional<RegFileRegistry::OpenKeyState> RegFileRegistry::resolve(RegHandle handle)
{
    if (const auto root = rootKeyName(handle))
        return OpenKeyState{std::make_shared<const RegDocument>(load_()), std::string(*root)};
    const auto open = open_.find(handle);
    if (open == open_.end())
        return std::nullopt;
    return open->second;
}

long RegFileRegistry::openKey(RegHandle root, const std::string& subKey, std::uint32_t options,
                              std::uint32_t access, RegHandle& handle)
{
    (void)options;
    handle = 0;
    auto parent = resolve(root);
    if (!parent)
        return kErrorInvalidHandle;
    if (access & kWriteRights)
        return kErrorAccessDenied;
    std::string path = parent->path;
    if (!subKey.empty()) {
        if (subKey.front() == '\\')
            return kErrorFileNotFound;
        const auto canonical = canonicalKeyPath(path + '\\' + subKey);
        if (!canonical)
            return kErrorFileNotFound;
        path = *canonical;
    }
    if (!parent->document->hasKey(path) && path.find('\\') != std::string::npos)
        return kErrorFileNotFound;
    handle = nextHandle_++;
    open_.emplace(handle, OpenKeyState{parent->document, std::move(path)});
    return kErrorSuccess;
}

long RegFileRegistry::queryValue(RegHandle handle, const std::string& valueName, std::uint32_t& type,
                                 unsigned char* data, std::uint32_t& dataSize)
{
    const auto key = resolve(handle);
    if (!key)
        return kErrorInvalidHandle;
    const RegValue* value = key->document->findValue(key->path, valueName);
    if (!value)
        return kErrorFileNotFound;
    type = value->type;
    const auto size = static_cast<std::uint32_t>(value->data.size());
    if (data && dataSize < size) {
        dataSize = size;
        return kErrorMoreData;
    }
    if (data)
        std::copy(value->data.begin(), value->data.end(), data);
    dataSize = size;
    return kErrorSuccess;
}

long RegFileRegistry::closeKey(RegHandle handle)
{
    if (rootKeyName(handle))
        return kErrorSuccess;
    return open_.erase(handle) ? kErrorSuccess : kErrorInvalidHandle;
}

}  // namespace varno::platform
