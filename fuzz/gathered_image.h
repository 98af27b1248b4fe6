#pragma once
// Fuzz input as a gathered log image, ready for the writers.
#include <algorithm>
#include <cstdint>
#include <memory>

#include "eventlog/log_image.h"

namespace k4::fuzz {

struct GatheredImage {
    // An exact-size heap copy, so that any read past the gathered bytes
    // trips the sanitizer.
    std::unique_ptr<std::uint8_t[]> bytes;
    std::size_t size = 0;
    EventTableArgs args;
};

// False when the input is no image the download would hand to the writers.
inline bool GatherImage(const std::uint8_t* data, std::size_t size, GatheredImage& image)
{
    if (size == 0 || size > kImageCapacity)
        return false;
    image.bytes.reset(new std::uint8_t[size]);
    image.size = size;
    std::copy(data, data + size, image.bytes.get());
    return PrepareImageForWriters({image.bytes.get(), size}, image.args);
}

} // namespace k4::fuzz
