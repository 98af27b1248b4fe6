#pragma once
// The workbook's FONT records: four standard fonts, then one per distinct
// combination of weight and colour in use.

#include <cstdint>
#include <vector>

#include "report/xls/biff_writer.h"

namespace k4xls {

inline constexpr std::uint16_t kAutomaticColour = 0x7FFF;

class FontTable {
public:
    // The font index for cell XFs and text runs; index 4 is never handed
    // out, as BIFF skips it.
    std::uint16_t IndexFor(bool bold, std::uint16_t colourIndex);

    void Write(BiffWriter& writer) const;

private:
    struct Font {
        bool bold;
        std::uint16_t colour;
    };
    std::vector<Font> m_extra; // from font index 5 on
};

} // namespace k4xls
