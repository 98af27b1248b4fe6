#include "platform/posix/exclusive_device.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace k4 {

int OpenDeviceExclusively(const std::string& path)
{
    // Non-blocking only for the open itself: a serial port without carrier
    // would otherwise wait for one here.
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace k4
