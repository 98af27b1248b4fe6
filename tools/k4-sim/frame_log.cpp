#include "tools/k4-sim/frame_log.h"

#include <chrono>

namespace k4sim {

void FrameLog::Stamp(const char* direction)
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    const double seconds = std::chrono::duration<double>(now).count();
    std::fprintf(m_out, "%.6f %s", seconds, direction);
}

void FrameLog::Received(const ReceivedFrame& frame)
{
    Stamp("rx");
    for (std::uint8_t b : frame.wire)
        std::fprintf(m_out, " %02x", b);
    std::fputs(frame.checksumOk ? "\n" : " bad-checksum\n", m_out);
    std::fflush(m_out);
}

void FrameLog::Sent(std::span<const std::uint8_t> frame, const char* note)
{
    Stamp("tx");
    for (std::uint8_t b : frame)
        std::fprintf(m_out, " %02x", b);
    if (note && *note)
        std::fprintf(m_out, " %s", note);
    std::fputc('\n', m_out);
    std::fflush(m_out);
}

void FrameLog::Note(const char* text)
{
    Stamp("--");
    std::fprintf(m_out, " %s\n", text);
    std::fflush(m_out);
}

} // namespace k4sim
