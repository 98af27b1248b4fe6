#pragma once
#include <chrono>
#include <cstdint>
#include <span>

namespace k4sim {

enum class LineRead { Byte, Timeout, Gone };

// The unit's end of the serial line.
class DeviceLine {
public:
    virtual ~DeviceLine() = default;
    virtual bool Send(std::span<const std::uint8_t> bytes) = 0;
    virtual LineRead Receive(std::uint8_t& byte, std::chrono::milliseconds timeout) = 0;
    // Returns once the computer has read every byte sent, or after `limit`.
    virtual void AwaitTaken(std::chrono::milliseconds limit) = 0;
    // The cable is pulled: the computer's end sees a hang-up.
    virtual void Unplug() = 0;
};

} // namespace k4sim
