#pragma once
// Reads the PNG pictures that a sheet shows.

#include <cstdint>
#include <string_view>
#include <vector>

#include "report/xls/k4xls.h"

namespace k4xls {

// Large enough for any logo; the OfficeArt sizes stay far from their limits.
inline constexpr std::size_t kMaxPictureBytes = 16u << 20;

// E_FAIL when the file cannot be read, E_INVALIDARG when it is not a PNG
// picture or is larger than kMaxPictureBytes.
Status LoadPng(std::u16string_view path, std::vector<std::uint8_t>& png);

} // namespace k4xls
