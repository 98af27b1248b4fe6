#pragma once
// Turns style settings into the workbook's formatting records: palette
// entries, fonts, number formats and cell XFs.

#include <cstdint>
#include <optional>

#include "report/xls/font_table.h"
#include "report/xls/number_formats.h"
#include "report/xls/palette.h"
#include "report/xls/style_settings.h"
#include "report/xls/xf_table.h"

namespace k4xls {

class CellFormats {
public:
    // The cell XF for `settings`; empty when the workbook has no room for
    // another XF or number format.
    std::optional<std::uint16_t> XfFor(const StyleSettings& settings);
    std::uint16_t FontFor(const FontSettings& font);

    const Palette& Colours() const { return m_palette; }
    const FontTable& Fonts() const { return m_fonts; }
    const NumberFormats& Formats() const { return m_formats; }
    const XfTable& Xfs() const { return m_xfs; }

private:
    std::uint8_t ColourIndex(std::int32_t rgb) { return m_palette.IndexFor(static_cast<std::uint32_t>(rgb)); }

    Palette m_palette;
    FontTable m_fonts;
    NumberFormats m_formats;
    XfTable m_xfs;
};

} // namespace k4xls
