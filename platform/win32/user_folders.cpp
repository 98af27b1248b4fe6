#include "platform/user_folders.h"

#include <windows.h>
#include <shlobj.h>

#include <cstdlib>

namespace k4 {

namespace {

std::string TrimTrailingSeparators(std::string path)
{
    // "C:\" keeps its backslash: "C:" alone means the drive's current folder.
    while (path.size() > 3 && (path.back() == '\\' || path.back() == '/'))
        path.pop_back();
    return path;
}

std::string SpecialFolder(int csidl)
{
    char path[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE))
        return {};
    return TrimTrailingSeparators(path);
}

bool IsFolder(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Where the first folder that can be created starts: after "C:\", after
// "\\server\share\", else at the beginning.
std::size_t FirstCreatable(const std::string& path)
{
    if (path.size() >= 2 && path[1] == ':')
        return path.size() >= 3 ? 3 : 2;
    if (path.size() >= 2 && (path[0] == '\\' || path[0] == '/') && (path[1] == '\\' || path[1] == '/')) {
        std::size_t separators = 0;
        for (std::size_t i = 2; i < path.size(); ++i)
            if ((path[i] == '\\' || path[i] == '/') && ++separators == 2)
                return i + 1;
        return path.size();
    }
    return 0;
}

} // namespace

std::string HomeFolder()
{
    const std::string profile = SpecialFolder(CSIDL_PROFILE);
    if (!profile.empty())
        return profile;
    if (const char* home = std::getenv("USERPROFILE"); home && *home)
        return TrimTrailingSeparators(home);
    return "C:\\";
}

std::string DocumentsFolder()
{
    const std::string documents = SpecialFolder(CSIDL_PERSONAL);
    return documents.empty() ? HomeFolder() : documents;
}

bool EnsureFolder(const std::string& path)
{
    if (path.empty() || path.size() >= MAX_PATH)
        return false;
    for (std::size_t i = FirstCreatable(path); i < path.size(); ++i)
        if (path[i] == '\\' || path[i] == '/')
            CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
    CreateDirectoryA(path.c_str(), nullptr);
    return IsFolder(path);
}

} // namespace k4
