#include "eventlog/log_image.h"

#include <algorithm>

namespace k4 {

void ReverseBytes(std::uint8_t* bytes, std::size_t count)
{
    if (count > 1)
        std::reverse(bytes, bytes + count);
}

namespace {

std::uint16_t ReadHostWord(std::span<const std::uint8_t> image, std::size_t offset)
{
    std::uint16_t word = 0;
    std::copy_n(image.data() + offset, 2, reinterpret_cast<std::uint8_t*>(&word));
    return word;
}

// Converts the big-endian word at `offset` to host order in place, when the
// image reaches that far.
void ConvertHeaderWord(std::span<std::uint8_t> image, std::size_t offset)
{
    if (offset + 2 <= image.size())
        ReverseBytes(image.data() + offset, 2);
}

} // namespace

bool PrepareImageForWriters(std::span<std::uint8_t> image, EventTableArgs& out)
{
    if (image.empty() || image[kImageFlagOffset] == 0)
        return false;
    // The conversion only makes sense on a big-endian wire word read into a
    // little-endian host, which every platform we build for is.
    ConvertHeaderWord(image, kHeaderWord26Field);
    ConvertHeaderWord(image, kTableLengthField);
    ConvertHeaderWord(image, kTableOffsetField);

    out = EventTableArgs{};
    // An image cut off inside the header has no table to speak of.
    if (image.size() < kTableLengthField + 2)
        return true;
    out.tableLength = ReadHostWord(image, kTableLengthField);
    out.tableOffset = ReadHostWord(image, kTableOffsetField);
    // The table may claim to start beyond the gathered bytes; the writers
    // then see an empty span and read nothing.
    if (out.tableOffset < image.size())
        out.table = std::span<const std::uint8_t>(image.subspan(out.tableOffset));
    return true;
}

} // namespace k4
