#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace k4sim {

// Frame types as the unit uses them in a download reply.
enum : std::uint8_t {
    kTypeEnd = 0,   // ends a reply (and every single-frame reply)
    kTypeFirst = 1, // first data frame
    kTypeMore = 2,  // data frames in between
    kTypeLast = 3,  // last data frame
};

enum : std::uint8_t {
    kCmdFirmwareVersion = 0x02,
    kCmdDownload = 0x0A,
    kCmdFileCount = 0x0C,
    kCmdAck = 0xFD,
    kCmdNak = 0xFE,
};

inline constexpr std::uint16_t kMinFrameLength = 3;   // header and code byte
inline constexpr std::uint16_t kMaxFrameLength = 510; // what the computer's 512-byte buffer takes
// Data bytes after the code byte in the longest frame.
inline constexpr std::size_t kMaxFrameData = kMaxFrameLength - kMinFrameLength;

// The two's complement of the byte sum: sum plus checksum is 0 mod 65536.
std::uint16_t FrameChecksum(std::span<const std::uint8_t> bytes);

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
