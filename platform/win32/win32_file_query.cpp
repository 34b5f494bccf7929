#include "win32_file_query.h"

#include "platform/win32/system_error_text.h"
#include "platform/win32/text_conversion.h"
#include "platform/win32/windows_api.h"

#include <stdexcept>

namespace varno::platform::win32 {

namespace {

bool wanted(DWORD found, int attributes)
{
    if ((found & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & kDirDirectory))
        return false;
    if ((found & FILE_ATTRIBUTE_HIDDEN) && !(attributes & kDirHidden))
        return false;
    if ((found & FILE_ATTRIBUTE_SYSTEM) && !(attributes & kDirSystem))
        return false;
    return true;
}

bool meansNothingThere(DWORD error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
           error == ERROR_NO_MORE_FILES;
}

}  // namespace

std::string Win32FileQuery::find(const std::string& path, int attributes)
{
    if (path.empty())
        return {};
    auto wide = utf8ToWide(path);
    if (!wide || wide->find(L'\0') != std::wstring::npos)
        throw std::runtime_error("malformed path \"" + path + "\"");

    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(wide->c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (meansNothingThere(error))
            return {};
        throw std::runtime_error("cannot look for \"" + path + "\": " + systemErrorText(error));
    }
    std::string name;
    do {
        if (wanted(found.dwFileAttributes, attributes)) {
            name = wideToUtf8(found.cFileName);
            break;
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return name;
}

}  // namespace varno::platform::win32
