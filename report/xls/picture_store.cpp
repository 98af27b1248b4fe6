#include "report/xls/picture_store.h"

#include "report/xls/md4.h"

namespace k4xls {

std::uint32_t PictureStore::Add(std::vector<std::uint8_t> png)
{
    const std::array<std::uint8_t, 16> digest = Md4Digest(png.data(), png.size());
    for (std::size_t i = 0; i < m_pictures.size(); ++i) {
        StoredPicture& stored = m_pictures[i];
        if (stored.digest == digest && stored.png == png) {
            ++stored.uses;
            return static_cast<std::uint32_t>(i + 1);
        }
    }
    m_pictures.push_back(StoredPicture{std::move(png), digest, 1});
    return static_cast<std::uint32_t>(m_pictures.size());
}

} // namespace k4xls
