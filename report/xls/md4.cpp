#include "report/xls/md4.h"

#include <cstring>

namespace k4xls {

namespace {

std::uint32_t Rotl(std::uint32_t x, int s)
{
    return (x << s) | (x >> (32 - s));
}
std::uint32_t F(std::uint32_t x, std::uint32_t y, std::uint32_t z)
{
    return (x & y) | (~x & z);
}
std::uint32_t G(std::uint32_t x, std::uint32_t y, std::uint32_t z)
{
    return (x & y) | (x & z) | (y & z);
}
std::uint32_t H(std::uint32_t x, std::uint32_t y, std::uint32_t z)
{
    return x ^ y ^ z;
}

void ProcessBlock(std::uint32_t state[4], const std::uint8_t* block)
{
    std::uint32_t x[16];
    for (int i = 0; i < 16; ++i)
        x[i] = static_cast<std::uint32_t>(block[4 * i]) | (static_cast<std::uint32_t>(block[4 * i + 1]) << 8) |
               (static_cast<std::uint32_t>(block[4 * i + 2]) << 16) |
               (static_cast<std::uint32_t>(block[4 * i + 3]) << 24);
    std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3];

    static const int kShift1[4] = {3, 7, 11, 19};
    for (int i = 0; i < 16; ++i) {
        const std::uint32_t t = Rotl(a + F(b, c, d) + x[i], kShift1[i % 4]);
        a = d, d = c, c = b, b = t;
    }
    static const int kOrder2[16] = {0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15};
    static const int kShift2[4] = {3, 5, 9, 13};
    for (int i = 0; i < 16; ++i) {
        const std::uint32_t t = Rotl(a + G(b, c, d) + x[kOrder2[i]] + 0x5A827999u, kShift2[i % 4]);
        a = d, d = c, c = b, b = t;
    }
    static const int kOrder3[16] = {0, 8, 4, 12, 2, 10, 6, 14, 1, 9, 5, 13, 3, 11, 7, 15};
    static const int kShift3[4] = {3, 9, 11, 15};
    for (int i = 0; i < 16; ++i) {
        const std::uint32_t t = Rotl(a + H(b, c, d) + x[kOrder3[i]] + 0x6ED9EBA1u, kShift3[i % 4]);
        a = d, d = c, c = b, b = t;
    }
    state[0] += a, state[1] += b, state[2] += c, state[3] += d;
}

} // namespace

std::array<std::uint8_t, 16> Md4Digest(const std::uint8_t* data, std::size_t size)
{
    std::uint32_t state[4] = {0x67452301u, 0xEFCDAB89u, 0x98BADCFEu, 0x10325476u};
    std::size_t done = 0;
    for (; size - done >= 64; done += 64)
        ProcessBlock(state, data + done);

    // The tail, the 0x80 marker, zeros and the length in bits.
    std::uint8_t tail[128] = {};
    const std::size_t rest = size - done;
    if (rest)
        std::memcpy(tail, data + done, rest);
    tail[rest] = 0x80;
    const std::size_t tailSize = rest < 56 ? 64 : 128;
    const std::uint64_t bits = static_cast<std::uint64_t>(size) * 8;
    for (int i = 0; i < 8; ++i)
        tail[tailSize - 8 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(bits >> (8 * i));
    for (std::size_t at = 0; at < tailSize; at += 64)
        ProcessBlock(state, tail + at);

    std::array<std::uint8_t, 16> digest{};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            digest[static_cast<std::size_t>(4 * i + j)] = static_cast<std::uint8_t>(state[i] >> (8 * j));
    return digest;
}

} // namespace k4xls
