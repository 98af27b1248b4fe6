#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "link/protocol.h"

namespace k4sim {

// The frame layout, codes and limits are the link's own (link/protocol.h).
using k4::kMaxFrameData;
using k4::kMaxFrameLength;
using k4::kMinFrameLength;

// A frame in wire order: header (type, L), code, data, checksum.
std::vector<std::uint8_t> BuildFrame(std::uint8_t type, std::uint8_t code, std::span<const std::uint8_t> data);

struct ReceivedFrame {
    std::uint8_t type = 0;
    std::uint8_t code = 0;
    bool checksumOk = false;
    std::vector<std::uint8_t> wire; // every byte as received
};

// Gathers a frame from single bytes. A header announcing a length that no
// frame can have is dropped, so the next byte starts a new header.
class FrameAssembler {
public:
    std::optional<ReceivedFrame> Push(std::uint8_t byte);
    bool Partial() const { return !m_bytes.empty(); }
    void Reset() { m_bytes.clear(); }

private:
    std::vector<std::uint8_t> m_bytes;
};

// The unit's answer to the download command: the image cut into data
// frames of at most `dataPerFrame` bytes (types 1, 2, ..., 3), then the
// type-0 end frame.
std::vector<std::vector<std::uint8_t>> BuildDownloadReply(std::span<const std::uint8_t> image,
                                                          std::size_t dataPerFrame);

} // namespace k4sim
