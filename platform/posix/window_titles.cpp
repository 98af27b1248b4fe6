#include "platform/window_titles.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

// X11 and Wayland give a program no reliable way to list other clients'
// window titles, so each of our windows holds a lock on a file named after
// its title while it is shown. The kernel drops a flock when the last
// descriptor goes, so a crashed or killed program never leaves a stale claim.
//
// Claims take the lock shared: a title can be shown by several windows at
// once (two instances' main windows, two message boxes), and one of them
// closing must not make the title look gone. A probe asks for the lock
// exclusively; it is refused exactly while any claim lives.

namespace k4 {

namespace {

bool IsPrivateFolder(const std::string& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::getuid() &&
           (info.st_mode & 0077) == 0;
}

// The folder of the lock files: the session's runtime folder, or a private
// one under /tmp when the session has none. Empty when neither is usable.
std::string TitleFolder()
{
    std::string base;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime == '/') {
        base = runtime;
    } else {
        base = "/tmp/k4-runtime-" + std::to_string(::getuid());
        ::mkdir(base.c_str(), 0700);
        // Someone else may have made it first; a folder we do not own alone
        // would let them fake or hide our windows.
        if (!IsPrivateFolder(base))
            return {};
    }
    const std::string folder = base + "/k4-window-titles";
    ::mkdir(folder.c_str(), 0700);
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return {};
    return folder;
}

// Hex of the title's bytes keeps every title distinct and any byte safe in
// a file name; a title too long for a file name is hashed instead.
std::string LockFileName(std::string_view title)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    constexpr std::size_t kLongestHexTitle = 100; // 200 characters, below NAME_MAX
    std::string name;
    if (title.size() <= kLongestHexTitle) {
        name = "t-";
        for (unsigned char byte : title) {
            name += kDigits[byte >> 4];
            name += kDigits[byte & 0xF];
        }
    } else {
        std::uint64_t hash = 14695981039346656037ull; // FNV-1a
        for (unsigned char byte : title)
            hash = (hash ^ byte) * 1099511628211ull;
        name = "h-" + std::to_string(title.size()) + "-";
        for (int shift = 60; shift >= 0; shift -= 4)
            name += kDigits[(hash >> shift) & 0xF];
    }
    return name + ".lock";
}

std::string LockFilePath(std::string_view title)
{
    const std::string folder = TitleFolder();
    return folder.empty() ? std::string() : folder + "/" + LockFileName(title);
}

} // namespace

struct WindowTitleClaim::Impl {
    int fd = -1;
};

WindowTitleClaim::WindowTitleClaim(std::string_view title) : m_impl(std::make_unique<Impl>())
{
    const std::string path = LockFilePath(title);
    if (path.empty())
        return; // nowhere to claim: the window still shows, unannounced
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return;
    int locked;
    do {
        locked = ::flock(fd, LOCK_SH | LOCK_NB);
    } while (locked != 0 && errno == EINTR);
    if (locked != 0) {
        // Only a probe holds it exclusively, and only for an instant.
        locked = ::flock(fd, LOCK_SH);
    }
    if (locked != 0) {
        ::close(fd);
        return;
    }
    m_impl->fd = fd;
}

WindowTitleClaim::~WindowTitleClaim()
{
    if (m_impl->fd >= 0)
        ::close(m_impl->fd); // drops the lock
}

bool WindowTitleExists(std::string_view title)
{
    const std::string path = LockFilePath(title);
    if (path.empty())
        return false;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return false; // never claimed in this session
    int result;
    do {
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    const bool held = result != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}

} // namespace k4
