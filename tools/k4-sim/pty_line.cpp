#include "tools/k4-sim/pty_line.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace k4sim {

namespace {

constexpr double kBytesPerSecond = 128000.0 / 10.0; // start, 8 data, stop bit
// Paced output goes out in small pieces so the reader sees a steady trickle.
constexpr std::size_t kPacedChunk = 8;
// How late a sleep may wake and its bytes still count as back to back.
constexpr std::chrono::microseconds kSleepLateness{1000};
constexpr std::chrono::milliseconds kTakenPoll{2};
constexpr std::chrono::milliseconds kQuietSpell{100};

std::chrono::steady_clock::duration WireTime(std::size_t bytes)
{
    return std::chrono::duration_cast<std::chrono::steady_clock::duration>(
        std::chrono::duration<double>(static_cast<double>(bytes) / kBytesPerSecond));
}

// No echo and no line editing: the line carries binary frames.
void MakeRaw(int fd)
{
    termios settings{};
    if (::tcgetattr(fd, &settings) != 0)
        return;
    ::cfmakeraw(&settings);
    ::tcsetattr(fd, TCSANOW, &settings);
}

} // namespace

std::unique_ptr<PtyLine> PtyLine::Open(bool paced, std::string& error)
{
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        error = std::string("cannot create a pseudo-terminal: ") + std::strerror(errno);
        if (master >= 0)
            ::close(master);
        return nullptr;
    }
    const char* name = ::ptsname(master);
    const int slave = name ? ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC) : -1;
    if (slave < 0) {
        error = std::string("cannot open the pseudo-terminal's device: ") + std::strerror(errno);
        ::close(master);
        return nullptr;
    }
    MakeRaw(slave);
    return std::unique_ptr<PtyLine>(new PtyLine(master, slave, name, paced));
}

PtyLine::PtyLine(int master, int slave, std::string devicePath, bool paced)
    : m_master(master), m_slave(slave), m_devicePath(std::move(devicePath)), m_paced(paced)
{}

PtyLine::~PtyLine()
{
    Unplug();
}

void PtyLine::Unplug()
{
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
    m_slave = -1;
    m_master = -1;
}

// When the line starts carrying a byte of the computer's that has just been
// read. One that was already waiting follows the previous one without a
// gap: the sleeps' own lateness must not add up into a slower line.
PtyLine::Clock::time_point PtyLine::LineStart(Clock::time_point lineFreeAt)
{
    const Clock::time_point now = Clock::now();
    return now <= lineFreeAt + kSleepLateness ? lineFreeAt : now;
}

bool PtyLine::Send(std::span<const std::uint8_t> bytes)
{
    // Each piece is written once its last bit would have arrived; the unit
    // answers only after it has read the request, so no overlap with it.
    const Clock::time_point start = std::max(m_sendLineFreeAt, Clock::now());
    std::size_t onLine = 0;
    while (!bytes.empty()) {
        if (m_master < 0)
            return false;
        const std::size_t chunk = m_paced ? std::min(bytes.size(), kPacedChunk) : bytes.size();
        if (m_paced) {
            m_sendLineFreeAt = start + WireTime(onLine + chunk);
            std::this_thread::sleep_until(m_sendLineFreeAt);
        }
        const ssize_t written = ::write(m_master, bytes.data(), chunk);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        m_bytesSent += static_cast<std::uint64_t>(written);
        onLine += static_cast<std::size_t>(written);
        bytes = bytes.subspan(static_cast<std::size_t>(written));
    }
    return true;
}

LineRead PtyLine::Receive(std::uint8_t& byte, std::chrono::milliseconds timeout)
{
    if (m_master < 0)
        return LineRead::Gone;
    pollfd watch{m_master, POLLIN, 0};
    const int ready = ::poll(&watch, 1, static_cast<int>(timeout.count()));
    if (ready == 0 || (ready < 0 && errno == EINTR))
        return LineRead::Timeout;
    if (ready < 0 || !(watch.revents & POLLIN))
        return LineRead::Gone;
    const ssize_t got = ::read(m_master, &byte, 1);
    if (got < 0 && (errno == EINTR || errno == EAGAIN))
        return LineRead::Timeout;
    if (got != 1)
        return LineRead::Gone;
    ++m_bytesReceived;
    // The computer's bytes reach the unit at line rate, too.
    if (m_paced) {
        m_receiveLineFreeAt = LineStart(m_receiveLineFreeAt) + WireTime(1);
        std::this_thread::sleep_until(m_receiveLineFreeAt);
    }
    return LineRead::Byte;
}

// The simulator holds the slave side open itself, so the slave's input
// queue is visible here: what is still in it, the computer has not read.
// Bytes written to the master reach that queue a moment later (the kernel
// hands them over from a work queue), so an empty queue counts only once it
// has stayed empty for a while.
void PtyLine::AwaitTaken(std::chrono::milliseconds limit)
{
    const Clock::time_point giveUpAt = Clock::now() + limit;
    Clock::time_point emptySince = Clock::now();
    while (m_slave >= 0 && Clock::now() < giveUpAt) {
        int unread = 0;
        if (::ioctl(m_slave, FIONREAD, &unread) != 0)
            return;
        const Clock::time_point now = Clock::now();
        if (unread > 0)
            emptySince = now;
        else if (now - emptySince >= kQuietSpell)
            return;
        std::this_thread::sleep_for(kTakenPoll);
    }
}

} // namespace k4sim
