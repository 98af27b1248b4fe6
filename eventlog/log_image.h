#pragma once
#include <cstddef>
#include <cstdint>
#include <span>

namespace k4 {

// The download gathers the unit's log into one buffer of this size.
inline constexpr std::size_t kImageCapacity = 0xA000; // 40960

// Image header: big-endian words as they arrive from the unit.
inline constexpr std::size_t kImageFlagOffset = 0;    // non-zero when a log is present
inline constexpr std::size_t kTableOffsetField = 6;   // first event record
inline constexpr std::size_t kTableLengthField = 8;   // event table length in bytes
inline constexpr std::size_t kHeaderWord26Field = 26; // converted, never read
inline constexpr std::size_t kImageHeaderSize = 28;

// Reverses `count` bytes in place; with 2 it swaps a 16-bit field between
// the unit's big-endian order and host order.
void ReverseBytes(std::uint8_t* bytes, std::size_t count);

// What the writers are handed after a good download.
struct EventTableArgs {
    std::uint16_t tableOffset = 0;
    std::uint16_t tableLength = 0;
    // From the first record to the end of the gathered image: the walk reads
    // nothing outside this span, whatever the header claims.
    std::span<const std::uint8_t> table;
};

// The download's last step before the writers: refuses an empty image or
// one whose first byte is 0, then converts the header words at 26, 8 and 6
// to host order in place. `image` is the gathered bytes only.
// Returns false when the image is not handed to the writers.
bool PrepareImageForWriters(std::span<std::uint8_t> image, EventTableArgs& out);

} // namespace k4
