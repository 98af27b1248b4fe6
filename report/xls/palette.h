#pragma once
// The workbook's colour palette: exact RGB colours get palette entries of
// their own (colour indexes 8 to 63).

#include <array>
#include <cstdint>

#include "report/xls/biff_writer.h"

namespace k4xls {

class Palette {
public:
    static constexpr std::size_t kEntries = 56;
    static constexpr std::uint8_t kFirstIndex = 8;

    Palette();

    // The colour index showing `rgb` (0xRRGGBB). An index once given keeps
    // its colour. When all 56 entries are taken, the nearest taken colour.
    std::uint8_t IndexFor(std::uint32_t rgb);
    std::uint32_t ColourAt(std::uint8_t index) const { return m_colours[index - kFirstIndex]; }

    void Write(BiffWriter& writer) const;

private:
    std::array<std::uint32_t, kEntries> m_colours;
    std::array<bool, kEntries> m_taken{};
};

} // namespace k4xls
