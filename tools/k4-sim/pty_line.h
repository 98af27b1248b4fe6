#pragma once
#include <memory>
#include <optional>
#include <string>

#include "tools/k4-sim/device_line.h"

namespace k4sim {

// The unit's line as the master side of a pseudo-terminal; the computer
// opens the slave side, a device path like /dev/pts/7. Paced, bytes move
// no faster than the real line: 128000 baud, 10 bits a byte.
class PtyLine final : public DeviceLine {
public:
    static std::unique_ptr<PtyLine> Open(bool paced, std::string& error);
    ~PtyLine() override;

    const std::string& DevicePath() const { return m_devicePath; }
    std::uint64_t BytesSent() const { return m_bytesSent; }
    std::uint64_t BytesReceived() const { return m_bytesReceived; }

    bool Send(std::span<const std::uint8_t> bytes) override;
    LineRead Receive(std::uint8_t& byte, std::chrono::milliseconds timeout) override;
    void AwaitTaken(std::chrono::milliseconds limit) override;
    void Unplug() override;

private:
    using Clock = std::chrono::steady_clock;

    PtyLine(int master, int slave, std::string devicePath, bool paced);
    static Clock::time_point LineStart(Clock::time_point lineFreeAt);

    int m_master = -1;
    // Held open by the simulator itself so that the master never sees a
    // hang-up between two sessions of the computer.
    int m_slave = -1;
    std::string m_devicePath;
    bool m_paced = true;
    Clock::time_point m_sendLineFreeAt{};
    Clock::time_point m_receiveLineFreeAt{};
    std::uint64_t m_bytesSent = 0;
    std::uint64_t m_bytesReceived = 0;
};

} // namespace k4sim
