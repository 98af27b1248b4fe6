#include "platform/session_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

namespace k4 {

namespace {

class FileLock final : public SessionLock {
public:
    explicit FileLock(int fd) : m_fd(fd) {}
    ~FileLock() override
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }

private:
    int m_fd;
};

// The runtime folder is the session's own (and gone at log-out); without
// one, the user's lock goes to /tmp under his user id.
std::string LockFileName(std::string_view name)
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && *runtime == '/')
        return std::string(runtime) + "/" + std::string(name) + ".lock";
    return "/tmp/" + std::string(name) + "-" + std::to_string(::getuid()) + ".lock";
}

} // namespace

std::unique_ptr<SessionLock> TakeSessionLock(std::string_view name)
{
    const std::string file = LockFileName(name);
    const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return std::make_unique<FileLock>(-1);
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK)
            return nullptr;
        return std::make_unique<FileLock>(-1);
    }
    return std::make_unique<FileLock>(fd);
}

} // namespace k4
