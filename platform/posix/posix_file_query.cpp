#include "posix_file_query.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <dirent.h>
#include <fnmatch.h>
#include <stdexcept>
#include <sys/stat.h>
#include <vector>

namespace varno::platform {

namespace {

constexpr int kHidden = 2;
constexpr int kDirectory = 16;

bool wanted(const std::string& fullPath, const std::string& name, int attributes)
{
    if (name == "." || name == "..")
        return false;
    if (name.front() == '.' && !(attributes & kHidden))
        return false;
    struct stat info {};
    if (::stat(fullPath.c_str(), &info) != 0)
        return false;
    if (S_ISDIR(info.st_mode))
        return (attributes & kDirectory) != 0;
    return S_ISREG(info.st_mode);
}

}  // namespace

std::string PosixFileQuery::find(const std::string& path, int attributes)
{
    if (path.find('\0') != std::string::npos)
        throw std::runtime_error("file name contains a NUL character");
    if (path.size() >= PATH_MAX)
        throw std::runtime_error("file name too long");
    std::string unixPath = path;
    std::replace(unixPath.begin(), unixPath.end(), '\\', '/');
    if (unixPath.empty())
        return {};

    const std::size_t slash = unixPath.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : unixPath.substr(0, slash + 1);
    const std::string pattern = slash == std::string::npos ? unixPath : unixPath.substr(slash + 1);
    if (pattern.empty())
        return {};
    if (pattern.size() > NAME_MAX)
        throw std::runtime_error("file name too long");

    if (pattern.find_first_of("*?") == std::string::npos)
        return wanted(unixPath, pattern, attributes) ? pattern : std::string();

    // Sorted, so the same folder always gives the same first match.
    std::vector<std::string> matches;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (::fnmatch(pattern.c_str(), name.c_str(), FNM_PERIOD) == 0 &&
                wanted(folder + (folder.back() == '/' ? "" : "/") + name, name, attributes))
                matches.push_back(name);
        }
        ::closedir(dir);
    }
    if (matches.empty())
        return {};
    return *std::min_element(matches.begin(), matches.end());
}

}  // namespace varno::platform
