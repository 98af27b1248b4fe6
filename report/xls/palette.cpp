#include "report/xls/palette.h"

#include "report/xls/record_ids.h"

namespace k4xls {

namespace {

// The palette a BIFF8 workbook has when it carries none of its own.
constexpr std::array<std::uint32_t, Palette::kEntries> kDefaultColours = {
    0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF, 0x800000, 0x008000,
    0x000080, 0x808000, 0x800080, 0x008080, 0xC0C0C0, 0x808080, 0x9999FF, 0x993366, 0xFFFFCC, 0xCCFFFF,
    0x660066, 0xFF8080, 0x0066CC, 0xCCCCFF, 0x000080, 0xFF00FF, 0xFFFF00, 0x00FFFF, 0x800080, 0x800000,
    0x008080, 0x0000FF, 0x00CCFF, 0xCCFFFF, 0xCCFFCC, 0xFFFF99, 0x99CCFF, 0xFF99CC, 0xCC99FF, 0xFFCC99,
    0x3366FF, 0x33CCCC, 0x99CC00, 0xFFCC00, 0xFF9900, 0xFF6600, 0x666699, 0x969696, 0x003366, 0x339966,
    0x003300, 0x333300, 0x993300, 0x993366, 0x333399, 0x333333};

std::uint32_t DistanceSquared(std::uint32_t a, std::uint32_t b)
{
    std::uint32_t sum = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int d = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
        sum += static_cast<std::uint32_t>(d * d);
    }
    return sum;
}

std::uint8_t ToIndex(std::size_t entry)
{
    return static_cast<std::uint8_t>(entry + Palette::kFirstIndex);
}

} // namespace

Palette::Palette() : m_colours(kDefaultColours) {}

std::uint8_t Palette::IndexFor(std::uint32_t rgb)
{
    rgb &= 0xFFFFFF;
    for (std::size_t i = 0; i < kEntries; ++i)
        if (m_taken[i] && m_colours[i] == rgb)
            return ToIndex(i);
    // A default entry of that colour is taken as it is.
    for (std::size_t i = 0; i < kEntries; ++i)
        if (!m_taken[i] && m_colours[i] == rgb) {
            m_taken[i] = true;
            return ToIndex(i);
        }
    // Other colours overwrite entries from the end of the palette, where
    // the defaults are the least used ones.
    for (std::size_t i = kEntries; i-- > 0;)
        if (!m_taken[i]) {
            m_taken[i] = true;
            m_colours[i] = rgb;
            return ToIndex(i);
        }
    std::size_t nearest = 0;
    for (std::size_t i = 1; i < kEntries; ++i)
        if (DistanceSquared(m_colours[i], rgb) < DistanceSquared(m_colours[nearest], rgb))
            nearest = i;
    return ToIndex(nearest);
}

void Palette::Write(BiffWriter& writer) const
{
    const std::size_t start = writer.Begin(rec::kPalette);
    writer.Out().U16(static_cast<std::uint16_t>(kEntries));
    for (const std::uint32_t rgb : m_colours) {
        writer.Out().U8(static_cast<std::uint8_t>(rgb >> 16));
        writer.Out().U8(static_cast<std::uint8_t>(rgb >> 8));
        writer.Out().U8(static_cast<std::uint8_t>(rgb));
        writer.Out().U8(0);
    }
    writer.End(start);
}

} // namespace k4xls
