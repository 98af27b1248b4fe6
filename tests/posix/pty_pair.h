#pragma once
#include <cstdlib>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace k4test {

// A pseudo-terminal: the test plays the unit on the master side; the code
// under test gets `device`, opened from the line's path like a serial port.
struct PtyPair {
    PtyPair()
    {
        master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
            return;
        // Held open so the line does not hang up before the test means it to;
        // raw so the master's bytes are not echoed back.
        slave = ::open(::ptsname(master), O_RDWR | O_NOCTTY);
        termios settings{};
        if (slave >= 0 && ::tcgetattr(slave, &settings) == 0) {
            ::cfmakeraw(&settings);
            ::tcsetattr(slave, TCSANOW, &settings);
        }
        device = slave >= 0 ? ::open(::ptsname(master), O_RDWR | O_NOCTTY) : -1;
    }
    ~PtyPair()
    {
        HangUp();
        ::close(device);
    }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    // The unit goes away: the other end sees a hang-up.
    void HangUp()
    {
        ::close(slave);
        ::close(master);
        slave = master = -1;
    }

    int master = -1;
    int slave = -1;
    int device = -1;
};

} // namespace k4test
