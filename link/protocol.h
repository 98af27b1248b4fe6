#pragma once
// The unit's protocol on the bridge's serial line, as both ends see it: the
// computer's link and the simulator of the unit.
//
// A frame on the wire:
//   byte 0-1  header, big-endian: type in the top 2 bits, L in the low 14
//   byte 2    code (a command, a reply status, ACK or NAK)
//   byte 3..  parameters or data, L - 3 bytes
//   byte L, L+1  checksum, big-endian: the two's complement of the byte sum
//             of bytes 0 .. L-1, so that all bytes together sum to 0 mod 65536
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace k4 {

// Command codes (first body byte of a frame).
enum : std::uint8_t {
    CMD_FIRMWARE_VERSION = 0x02,
    CMD_DOWNLOAD = 0x0A,
    CMD_FILE_COUNT = 0x0C,
    CMD_ACK = 0xFD,
    CMD_NAK = 0xFE,
};

// Frame types in the header's top two bits.
enum : std::uint16_t {
    FRAME_END = 0,   // ends a reply (and is every single-frame reply)
    FRAME_FIRST = 1, // first data frame of a download
    FRAME_MORE = 2,  // data frames in between
    FRAME_LAST = 3,  // last data frame
};

inline constexpr std::size_t kFrameBufferSize = 512;
// Header and code byte: the shortest frame that carries a code.
inline constexpr std::uint16_t kMinFrameLength = 3;
// L of the longest frame whose checksum still fits the buffer.
inline constexpr std::uint16_t kMaxFrameLength = kFrameBufferSize - 2;
// Data bytes after the code byte in the longest frame.
inline constexpr std::size_t kMaxFrameData = kMaxFrameLength - kMinFrameLength;
inline constexpr int kSilentReadLimit = 500; // empty reads (about 100 ms each) before a frame read gives up
inline constexpr int kBadFrameLimit = 5;     // bad frames in a row before a transfer gives up

// The two's complement of the byte sum.
constexpr std::uint16_t FrameChecksumOf(std::span<const std::uint8_t> bytes)
{
    unsigned sum = 0;
    for (std::uint8_t byte : bytes)
        sum += byte;
    return static_cast<std::uint16_t>(0x10000 - (sum & 0xFFFF));
}

// A control frame (type 0, L 3, the code) exactly as it travels.
constexpr std::array<std::uint8_t, 5> ControlFrame(std::uint8_t code)
{
    const std::array<std::uint8_t, 3> head{0x00, 0x03, code};
    const std::uint16_t checksum = FrameChecksumOf(head);
    return {head[0], head[1], head[2], static_cast<std::uint8_t>(checksum >> 8),
            static_cast<std::uint8_t>(checksum & 0xFF)};
}

inline constexpr std::array<std::uint8_t, 5> kAckFrame = ControlFrame(CMD_ACK);
inline constexpr std::array<std::uint8_t, 5> kNakFrame = ControlFrame(CMD_NAK);
static_assert(kAckFrame[3] == 0xFF && kAckFrame[4] == 0x00);
static_assert(kNakFrame[3] == 0xFE && kNakFrame[4] == 0xFF);

} // namespace k4
