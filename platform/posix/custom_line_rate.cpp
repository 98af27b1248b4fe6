// Kept apart: the kernel's termios2 header clashes with the C library's
// <termios.h> that the rest of the channel uses.
#include "platform/posix/custom_line_rate.h"

#if defined(__linux__)
#include <asm/termbits.h>
#include <sys/ioctl.h>
#endif

namespace k4 {

bool SetCustomLineRate(int fd, unsigned rate)
{
#if defined(__linux__) && defined(BOTHER)
    struct termios2 settings {};
    if (::ioctl(fd, TCGETS2, &settings) != 0)
        return false;
    settings.c_cflag &= ~CBAUD;
    settings.c_cflag |= BOTHER;
    settings.c_ispeed = rate;
    settings.c_ospeed = rate;
    return ::ioctl(fd, TCSETS2, &settings) == 0;
#else
    (void)fd;
    (void)rate;
    return false;
#endif
}

} // namespace k4
