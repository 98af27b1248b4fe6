#include "platform/shared/bridge_device.h"

#include "platform/shared/system_reason.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace k4 {

// Read and write, as no controlling terminal, with an advisory lock so that
// a second opener of ours fails while the first holds it (TIOCEXCL would
// not stop root).
BridgeHandle OpenBridgeDevice(const std::string& path)
{
    // Non-blocking only for the open itself: a serial port without carrier
    // would otherwise wait for one here.
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        NoteSystemReason("open " + path, LastSystemError());
        return kNoBridge;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        NoteSystemReason("open " + path, errno == EWOULDBLOCK ? "another program holds it" : LastSystemError());
        ::close(fd);
        return kNoBridge;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return kNoBridge;
    }
    return fd;
}

void CloseBridgeDevice(BridgeHandle handle)
{
    ::close(static_cast<int>(handle));
}

} // namespace k4
