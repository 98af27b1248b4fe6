#include "platform/user_folders.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <cstdlib>

#include "platform/win32/wide_text.h"

namespace k4 {

namespace {

std::string TrimTrailingSeparators(std::string path)
{
    // "C:\" keeps its backslash: "C:" alone means the drive's current folder.
    while (path.size() > 3 && (path.back() == '\\' || path.back() == '/'))
        path.pop_back();
    return path;
}

// As the system knows it (moved, redirected or named in any language); the
// folder is not created when it is missing.
std::string KnownFolder(REFKNOWNFOLDERID id)
{
    PWSTR path = nullptr;
    std::string folder;
    if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &path)))
        folder = TrimTrailingSeparators(Narrow(path));
    CoTaskMemFree(path);
    return folder;
}

bool IsFolder(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
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
    const std::string profile = KnownFolder(FOLDERID_Profile);
    if (!profile.empty())
        return profile;
    if (const wchar_t* home = _wgetenv(L"USERPROFILE"); home && *home)
        return TrimTrailingSeparators(Narrow(home));
    return "C:\\";
}

std::string DocumentsFolder()
{
    const std::string documents = KnownFolder(FOLDERID_Documents);
    return documents.empty() ? HomeFolder() : documents;
}

bool EnsureFolder(const std::string& path)
{
    const std::wstring wide = Widen(path);
    if (wide.empty() || wide.size() >= MAX_PATH)
        return false;
    // The separators are ASCII, so the cuts fall between whole characters.
    for (std::size_t i = FirstCreatable(path); i < path.size(); ++i)
        if (path[i] == '\\' || path[i] == '/')
            CreateDirectoryW(Widen(path.substr(0, i)).c_str(), nullptr);
    CreateDirectoryW(wide.c_str(), nullptr);
    return IsFolder(wide);
}

} // namespace k4
