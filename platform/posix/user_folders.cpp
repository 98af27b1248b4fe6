// Qt Core knows the desktop's own folders (user-dirs.dirs); the rest is
// plain POSIX.
#include "platform/user_folders.h"

#include <QStandardPaths>
#include <QString>
#include <cerrno>
#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace k4 {

namespace {

bool IsFolder(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string TrimTrailingSlashes(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

} // namespace

std::string HomeFolder()
{
    if (const char* home = std::getenv("HOME"); home && *home)
        return TrimTrailingSlashes(home);
    if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir)
        return TrimTrailingSlashes(entry->pw_dir);
    return "/";
}

// The folder that the desktop calls the documents folder: XDG_DOCUMENTS_DIR
// of $XDG_CONFIG_HOME/user-dirs.dirs (~/Dokumente on a German desktop),
// else ~/Documents.
std::string DocumentsFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.startsWith(QLatin1Char('/')))
        return TrimTrailingSlashes(documents.toStdString());
    return HomeFolder() + "/Documents";
}

bool EnsureFolder(const std::string& path)
{
    if (path.empty())
        return false;
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
        ::mkdir(path.substr(0, slash).c_str(), 0777);
    ::mkdir(path.c_str(), 0777);
    return IsFolder(path);
}

} // namespace k4
