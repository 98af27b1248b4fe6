#pragma once
// The Compound File Binary (version 3) container around the one stream of
// an .xls file, "Workbook".

#include <cstddef>
#include <cstdint>
#include <vector>

#include "report/xls/byte_buffer.h"

namespace k4xls {

inline constexpr std::size_t kSectorSize = 512;
// Streams below this size would belong in the mini stream; the workbook
// stream is padded so that it never does.
inline constexpr std::size_t kMiniStreamCutoff = 4096;

struct CompoundFileFrame {
    std::vector<std::uint8_t> header;  // goes before the stream
    std::vector<std::uint8_t> trailer; // allocation tables and directory, after it
};

// Pads a workbook stream with zero bytes to whole sectors, and to at least
// kMiniStreamCutoff bytes.
void PadWorkbookStream(ByteBuffer& stream);

// The frame for a padded workbook stream of `streamSize` bytes: the stream
// occupies sectors 0 to n-1, followed by the FAT, any DIFAT and the
// directory sectors.
CompoundFileFrame FrameWorkbookStream(std::size_t streamSize);

} // namespace k4xls
