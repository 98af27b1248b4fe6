#pragma once
#include <cstdio>
#include <span>

#include "tools/k4-sim/device_frames.h"

namespace k4sim {

// One line per frame, "<seconds> rx|tx <hex bytes>[ note]", for support and
// for tests that count what the computer sent. The time is the system's
// monotonic clock, so that other processes' times can be set beside it.
class FrameLog {
public:
    explicit FrameLog(std::FILE* out) : m_out(out) {}
    void Received(const ReceivedFrame& frame);
    void Sent(std::span<const std::uint8_t> frame, const char* note);
    void Note(const char* text);

private:
    void Stamp(const char* direction);

    std::FILE* m_out;
};

} // namespace k4sim
