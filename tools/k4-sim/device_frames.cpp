#include "tools/k4-sim/device_frames.h"

#include <algorithm>

namespace k4sim {

std::vector<std::uint8_t> BuildFrame(std::uint8_t type, std::uint8_t code, std::span<const std::uint8_t> data)
{
    const auto length = static_cast<std::uint16_t>(kMinFrameLength + data.size());
    const auto header = static_cast<std::uint16_t>((type << 14) | (length & 0x3FFF));
    std::vector<std::uint8_t> frame;
    frame.reserve(length + 2u);
    frame.push_back(static_cast<std::uint8_t>(header >> 8));
    frame.push_back(static_cast<std::uint8_t>(header & 0xFF));
    frame.push_back(code);
    frame.insert(frame.end(), data.begin(), data.end());
    const std::uint16_t checksum = k4::FrameChecksumOf(frame);
    frame.push_back(static_cast<std::uint8_t>(checksum >> 8));
    frame.push_back(static_cast<std::uint8_t>(checksum & 0xFF));
    return frame;
}

std::optional<ReceivedFrame> FrameAssembler::Push(std::uint8_t byte)
{
    m_bytes.push_back(byte);
    if (m_bytes.size() < 2)
        return std::nullopt;
    const std::uint16_t length = static_cast<std::uint16_t>(((m_bytes[0] << 8) | m_bytes[1]) & 0x3FFF);
    if (length < kMinFrameLength || length > kMaxFrameLength) {
        m_bytes.clear();
        return std::nullopt;
    }
    if (m_bytes.size() < length + 2u)
        return std::nullopt;

    ReceivedFrame frame;
    frame.type = static_cast<std::uint8_t>(m_bytes[0] >> 6);
    frame.code = m_bytes[2];
    const std::uint16_t received = static_cast<std::uint16_t>((m_bytes[length] << 8) | m_bytes[length + 1]);
    frame.checksumOk = k4::FrameChecksumOf(std::span(m_bytes).first(length)) == received;
    frame.wire = std::move(m_bytes);
    m_bytes.clear();
    return frame;
}

std::vector<std::vector<std::uint8_t>> BuildDownloadReply(std::span<const std::uint8_t> image, std::size_t dataPerFrame)
{
    constexpr std::uint8_t kStatusOk = 0;
    dataPerFrame = std::clamp<std::size_t>(dataPerFrame, 1, kMaxFrameData);
    const std::size_t dataFrames = (image.size() + dataPerFrame - 1) / dataPerFrame;

    std::vector<std::vector<std::uint8_t>> reply;
    for (std::size_t i = 0; i < dataFrames; ++i) {
        const std::size_t start = i * dataPerFrame;
        const std::size_t size = std::min(dataPerFrame, image.size() - start);
        // A lone data frame goes out as a first frame: the computer stops
        // reading after a last frame that nothing came before, and the end
        // frame would never be read.
        std::uint8_t type = k4::FRAME_MORE;
        if (i == 0)
            type = k4::FRAME_FIRST;
        else if (i + 1 == dataFrames)
            type = k4::FRAME_LAST;
        reply.push_back(BuildFrame(type, kStatusOk, image.subspan(start, size)));
    }
    reply.push_back(BuildFrame(k4::FRAME_END, kStatusOk, {}));
    return reply;
}

} // namespace k4sim
