#pragma once
// The workbook's pictures (its OfficeArt blip store): each distinct PNG
// once, with the number of places it is shown.

#include <array>
#include <cstdint>
#include <vector>

namespace k4xls {

struct StoredPicture {
    std::vector<std::uint8_t> png;
    std::array<std::uint8_t, 16> digest;
    std::uint32_t uses = 0;
};

class PictureStore {
public:
    // The 1-based blip index of `png`, stored if new.
    std::uint32_t Add(std::vector<std::uint8_t> png);
    const std::vector<StoredPicture>& All() const { return m_pictures; }

private:
    std::vector<StoredPicture> m_pictures;
};

} // namespace k4xls
