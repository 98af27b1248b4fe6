// Kept apart: the kernel's termios2 header clashes with the C library's
// <termios.h> that the rest of the channel uses.
#include "platform/posix/custom_line_rate.h"

#if defined(__linux__)
#include <asm/termbits.h>
#include <sys/ioctl.h>
#endif

namespace k4 {

bool ReadLineRates(int fd, unsigned& input, unsigned& output)
{
#if defined(__linux__) && defined(BOTHER)
    struct termios2 settings {};
    if (::ioctl(fd, TCGETS2, &settings) != 0)
        return false;
    input = settings.c_ispeed;
    output = settings.c_ospeed;
    return true;
#else
    (void)fd;
    (void)input;
    (void)output;
    return false;
#endif
}

// Both directions explicitly: a C library that fills the input-rate field
// (CIBAUD) itself, as newer ones do from cfsetispeed, would otherwise keep
// the input at the standard rate set before. The kernel may round or refuse
// a rate without saying so, hence the read-back.
bool SetCustomLineRate(int fd, unsigned rate)
{
#if defined(__linux__) && defined(BOTHER)
    struct termios2 settings {};
    if (::ioctl(fd, TCGETS2, &settings) != 0)
        return false;
    settings.c_cflag &= ~(CBAUD | CIBAUD);
    settings.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    settings.c_ispeed = rate;
    settings.c_ospeed = rate;
    if (::ioctl(fd, TCSETS2, &settings) != 0)
        return false;
    unsigned input = 0;
    unsigned output = 0;
    return ReadLineRates(fd, input, output) && input == rate && output == rate;
#else
    (void)fd;
    (void)rate;
    return false;
#endif
}

} // namespace k4
