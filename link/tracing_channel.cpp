#include "link/tracing_channel.h"

#include <chrono>
#include <string>

#include "link/frame_words.h"
#include "link/protocol.h"

namespace k4 {

namespace {

constexpr unsigned kTypeShift = 14;
constexpr std::uint16_t kLengthMask = 0x3FFF;

// The frame as ReadFrame judges it: type, length, code and checksum, or why
// it cannot be a frame.
std::string Decode(const std::vector<std::uint8_t>& bytes)
{
    if (bytes.size() < 2)
        return "incomplete";
    const std::uint16_t header = LoadBigEndianWord(bytes.data());
    const unsigned type = header >> kTypeShift;
    const std::size_t length = header & kLengthMask;
    std::string text = "type " + std::to_string(type) + ", L " + std::to_string(length);
    if (length < kMinFrameLength || length > kMaxFrameLength)
        return text + ", refused (no room or no code)";
    if (bytes.size() < length + 2)
        return text + ", incomplete";
    char code[32];
    std::snprintf(code, sizeof code, ", code %02x", bytes[2]);
    const bool good = FrameChecksumOf(std::span(bytes.data(), length)) == LoadBigEndianWord(&bytes[length]);
    return text + code + (good ? ", checksum good" : ", checksum BAD");
}

} // namespace

TracingSerialChannel::TracingSerialChannel(std::unique_ptr<SerialChannel> inner, std::FILE* out)
    : m_inner(std::move(inner)), m_out(out)
{}

bool TracingSerialChannel::Configure(BridgeHandle handle)
{
    const bool taken = m_inner->Configure(handle);
    std::fprintf(m_out, "frame: line settings %s\n", taken ? "taken" : "refused");
    std::fflush(m_out);
    return taken;
}

bool TracingSerialChannel::Write(BridgeHandle handle, const std::uint8_t* data, std::size_t size)
{
    const bool written = m_inner->Write(handle, data, size);
    Line("tx", std::vector<std::uint8_t>(data, data + size), written ? nullptr : "write failed");
    m_silenceNoted = false;
    return written;
}

ReadResult TracingSerialChannel::ReadByte(BridgeHandle handle, std::uint8_t& byte)
{
    const ReadResult result = m_inner->ReadByte(handle, byte);
    switch (result) {
    case ReadResult::Byte:
        m_received.push_back(byte);
        m_silenceNoted = false;
        if (FrameEnds()) {
            Line("rx", m_received, nullptr);
            m_received.clear();
        }
        break;
    case ReadResult::Empty:
        // Once per silence: the codec goes on reading for a while.
        if (!m_silenceNoted) {
            m_silenceNoted = true;
            Line("rx", m_received, "silence");
        }
        break;
    case ReadResult::Failed:
        Line("rx", m_received, "read failed");
        m_received.clear();
        break;
    }
    return result;
}

bool TracingSerialChannel::FrameEnds() const
{
    if (m_received.size() < 2)
        return false;
    const std::size_t length = LoadBigEndianWord(m_received.data()) & kLengthMask;
    if (length < kMinFrameLength || length > kMaxFrameLength)
        return true;
    return m_received.size() == length + 2;
}

void TracingSerialChannel::Line(const char* direction, const std::vector<std::uint8_t>& bytes, const char* note)
{
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
    std::fprintf(m_out, "frame: %.3f %s", seconds, direction);
    for (std::uint8_t byte : bytes)
        std::fprintf(m_out, " %02x", byte);
    if (!bytes.empty())
        std::fprintf(m_out, " : %s", Decode(bytes).c_str());
    if (note)
        std::fprintf(m_out, "%s%s", bytes.empty() ? " " : "; ", note);
    std::fputc('\n', m_out);
    std::fflush(m_out);
}

} // namespace k4
