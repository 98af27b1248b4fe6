#pragma once
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace k4test {

// A pseudo-terminal: the test plays the unit on the master side; the code
// under test opens `devicePath`, like a serial port.
class PtyPair {
public:
    PtyPair()
    {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0)
            return;
        m_devicePath = ::ptsname(m_master);
        // Held open so the line does not hang up before the test means it to;
        // raw so the master's bytes are not echoed back.
        m_slave = ::open(m_devicePath.c_str(), O_RDWR | O_NOCTTY);
        termios settings{};
        if (m_slave >= 0 && ::tcgetattr(m_slave, &settings) == 0) {
            ::cfmakeraw(&settings);
            ::tcsetattr(m_slave, TCSANOW, &settings);
        }
    }
    ~PtyPair() { HangUp(); }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool Ok() const { return m_master >= 0 && m_slave >= 0; }
    const std::string& DevicePath() const { return m_devicePath; }
    int Master() const { return m_master; }

    // The unit goes away: the other end sees a hang-up.
    void HangUp()
    {
        if (m_slave >= 0)
            ::close(m_slave);
        if (m_master >= 0)
            ::close(m_master);
        m_slave = m_master = -1;
    }

private:
    int m_master = -1;
    int m_slave = -1;
    std::string m_devicePath;
};

} // namespace k4test
