#pragma once
#include <cstdint>
#include <cstring>

namespace k4 {

// 16-bit fields of the frame buffers. On the wire they are big-endian; once a
// frame is decoded the header and checksum sit in host order, like any
// native word, so both accessors are needed.

inline std::uint16_t LoadBigEndianWord(const std::uint8_t* at)
{
    return static_cast<std::uint16_t>((at[0] << 8) | at[1]);
}

inline void StoreBigEndianWord(std::uint8_t* at, std::uint16_t value)
{
    at[0] = static_cast<std::uint8_t>(value >> 8);
    at[1] = static_cast<std::uint8_t>(value & 0xFF);
}

inline std::uint16_t LoadHostWord(const std::uint8_t* at)
{
    std::uint16_t value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

inline void StoreHostWord(std::uint8_t* at, std::uint16_t value)
{
    std::memcpy(at, &value, sizeof value);
}

} // namespace k4
