#pragma once
#include <cstdio>
#include <memory>
#include <vector>

#include "platform/serial_channel.h"

namespace k4 {

// Passes every serial operation on and writes one line per frame sent or
// received: "frame <seconds> tx|rx <hex bytes> : <what the codec made of
// it>", and a note when a reply does not come or the line fails. For
// support: what the unit really said, byte for byte. The time is the
// monotonic clock's, as in the simulator's frame log, so the two can be laid
// side by side.
class TracingSerialChannel final : public SerialChannel {
public:
    TracingSerialChannel(std::unique_ptr<SerialChannel> inner, std::FILE* out);

    bool Configure(BridgeHandle handle) override;
    ReadResult ReadByte(BridgeHandle handle, std::uint8_t& byte) override;
    bool Write(BridgeHandle handle, const std::uint8_t* data, std::size_t size) override;

private:
    void Line(const char* direction, const std::vector<std::uint8_t>& bytes, const char* note);
    // The bytes received so far make a whole frame, or one the codec refuses
    // after its header.
    bool FrameEnds() const;

    std::unique_ptr<SerialChannel> m_inner;
    std::FILE* m_out;
    std::vector<std::uint8_t> m_received;
    bool m_silenceNoted = false;
};

} // namespace k4
