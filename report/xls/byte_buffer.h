#pragma once
// Little-endian output buffer that every part of the file is built in.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace k4xls {

class ByteBuffer {
public:
    void Reserve(std::size_t bytes) { m_bytes.reserve(bytes); }
    std::size_t Size() const { return m_bytes.size(); }
    const std::uint8_t* Data() const { return m_bytes.data(); }
    std::uint8_t* Data() { return m_bytes.data(); }
    const std::vector<std::uint8_t>& Bytes() const { return m_bytes; }
    void Clear() { m_bytes.clear(); }

    void U8(std::uint8_t value) { m_bytes.push_back(value); }
    void U16(std::uint16_t value)
    {
        const std::uint8_t raw[2] = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8)};
        Append(raw, 2);
    }
    void U32(std::uint32_t value)
    {
        std::uint8_t raw[4];
        Store32(raw, value);
        Append(raw, 4);
    }
    void F64(double value)
    {
        std::uint64_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        U32(static_cast<std::uint32_t>(bits));
        U32(static_cast<std::uint32_t>(bits >> 32));
    }
    void Append(const void* data, std::size_t size)
    {
        if (size == 0)
            return;
        const std::size_t at = m_bytes.size();
        m_bytes.resize(at + size);
        std::memcpy(m_bytes.data() + at, data, size);
    }
    void Zeros(std::size_t count) { m_bytes.resize(m_bytes.size() + count, 0); }

    void PatchU16(std::size_t at, std::uint16_t value)
    {
        m_bytes[at] = static_cast<std::uint8_t>(value);
        m_bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
    }
    void PatchU32(std::size_t at, std::uint32_t value) { Store32(m_bytes.data() + at, value); }

private:
    static void Store32(std::uint8_t* to, std::uint32_t value)
    {
        to[0] = static_cast<std::uint8_t>(value);
        to[1] = static_cast<std::uint8_t>(value >> 8);
        to[2] = static_cast<std::uint8_t>(value >> 16);
        to[3] = static_cast<std::uint8_t>(value >> 24);
    }

    std::vector<std::uint8_t> m_bytes;
};

} // namespace k4xls
