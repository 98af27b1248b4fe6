// The serial channel on a POSIX terminal device: raw 8N1 at the unit's
// line rate, and single-byte reads bounded like the unit's 100 ms time-out.
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include "platform/posix/custom_line_rate.h"
#include "platform/shared/system_reason.h"
#include "platform/system_bridges.h"

namespace k4 {

namespace {

using Clock = std::chrono::steady_clock;

constexpr unsigned kLineRate = 128000;
constexpr std::chrono::milliseconds kReadTimeout{100};

int Descriptor(BridgeHandle handle)
{
    return static_cast<int>(handle);
}

bool ApplyRawEightNOne(int fd)
{
    termios settings{};
    if (::tcgetattr(fd, &settings) != 0)
        return false;
    ::cfmakeraw(&settings);
    settings.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
    settings.c_cflag |= CS8 | CLOCAL | CREAD;
    settings.c_iflag &= ~(IXON | IXOFF | IXANY);
    // Reads come only after poll() has seen data, so one byte never waits;
    // a read of 0 bytes then means the line has hung up.
    settings.c_cc[VMIN] = 1;
    settings.c_cc[VTIME] = 0;
    // The closest standard rate, in case the custom rate is refused.
    ::cfsetispeed(&settings, B115200);
    ::cfsetospeed(&settings, B115200);
    return ::tcsetattr(fd, TCSANOW, &settings) == 0;
}

class TtyChannel final : public SerialChannel {
public:
    bool Configure(BridgeHandle handle) override
    {
        const int fd = Descriptor(handle);
        bool taken = ApplyRawEightNOne(fd);
        if (!taken)
            NoteSystemReason("line settings", LastSystemError());
        // A pseudo-terminal (the simulator's) keeps the rate too.
        errno = 0;
        if (!SetCustomLineRate(fd, kLineRate)) {
            NoteSystemReason("line rate 128000", errno != 0 ? LastSystemError() : "not taken");
            taken = false;
        }
        // A pseudo-terminal has no modem lines; that does not matter for it.
        int lines = TIOCM_DTR | TIOCM_RTS;
        ::ioctl(fd, TIOCMBIS, &lines);
        // Bytes left over from an earlier session would be taken for the
        // start of the first reply.
        ::tcflush(fd, TCIFLUSH);
        return taken;
    }

    ReadResult ReadByte(BridgeHandle handle, std::uint8_t& byte) override
    {
        const int fd = Descriptor(handle);
        const Clock::time_point deadline = Clock::now() + kReadTimeout;
        for (;;) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
            pollfd watch{fd, POLLIN, 0};
            const int ready = ::poll(&watch, 1, static_cast<int>(std::max<long long>(left.count(), 0)));
            if (ready < 0 && errno == EINTR)
                continue;
            if (ready < 0) {
                NoteSystemReason("read", LastSystemError());
                return ReadResult::Failed;
            }
            if (ready == 0)
                return ReadResult::Empty;
            // Data still queued is delivered before a hang-up is reported.
            if (watch.revents & POLLIN)
                return ReadOne(fd, byte);
            NoteSystemReason("read", (watch.revents & POLLHUP) ? "the line hung up" : "the line reports an error");
            return ReadResult::Failed; // POLLHUP, POLLERR, POLLNVAL
        }
    }

    bool Write(BridgeHandle handle, const std::uint8_t* data, std::size_t size) override
    {
        const int fd = Descriptor(handle);
        while (size > 0) {
            const ssize_t written = ::write(fd, data, size);
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0) {
                NoteSystemReason("write", written < 0 ? LastSystemError() : "nothing written");
                return false;
            }
            data += written;
            size -= static_cast<std::size_t>(written);
        }
        return true;
    }

private:
    static ReadResult ReadOne(int fd, std::uint8_t& byte)
    {
        for (;;) {
            const ssize_t got = ::read(fd, &byte, 1);
            if (got == 1)
                return ReadResult::Byte;
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0 && errno == EAGAIN)
                return ReadResult::Empty;
            NoteSystemReason("read", got == 0 ? "the line hung up" : LastSystemError());
            return ReadResult::Failed; // end of file or an I/O error
        }
    }
};

} // namespace

std::unique_ptr<SerialChannel> MakeSystemSerialChannel()
{
    return std::make_unique<TtyChannel>();
}

} // namespace k4
