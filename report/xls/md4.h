#pragma once
// MD4 digest (RFC 1320): the picture store identifies each image by it.

#include <array>
#include <cstddef>
#include <cstdint>

namespace k4xls {

std::array<std::uint8_t, 16> Md4Digest(const std::uint8_t* data, std::size_t size);

} // namespace k4xls
