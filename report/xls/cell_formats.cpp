#include "report/xls/cell_formats.h"

namespace k4xls {

namespace {

constexpr std::uint32_t kSystemForeground = 0x40;
constexpr std::uint32_t kSystemBackground = 0x41;
constexpr std::uint32_t kSolidPattern = 1;
// Number format, font, alignment, border, fill and protection all come
// from the cell XF itself rather than from the Normal style.
constexpr std::uint8_t kAllAttributesUsed = 0xFC;

void Put16(XfRecord& xf, std::size_t at, std::uint32_t value)
{
    xf[at] = static_cast<std::uint8_t>(value);
    xf[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

void Put32(XfRecord& xf, std::size_t at, std::uint32_t value)
{
    Put16(xf, at, value);
    Put16(xf, at + 2, value >> 16);
}

std::uint32_t BorderColour(std::uint8_t line)
{
    return line ? kSystemForeground : 0;
}

} // namespace

std::uint16_t CellFormats::FontFor(const FontSettings& font)
{
    const std::uint16_t colour = font.colour == kNoColour ? kAutomaticColour : ColourIndex(font.colour);
    return m_fonts.IndexFor(font.bold, colour);
}

std::optional<std::uint16_t> CellFormats::XfFor(const StyleSettings& s)
{
    const std::optional<std::uint16_t> format = m_formats.IdFor(s.numberFormat);
    if (!format)
        return std::nullopt;

    XfRecord xf{};
    Put16(xf, 0, FontFor(s.font));
    Put16(xf, 2, *format);
    Put16(xf, 4, 0x0001); // locked cell XF, parent: the Normal style
    xf[6] = static_cast<std::uint8_t>(s.horizontal | (s.wrap ? 0x08 : 0x00) | (s.vertical << 4));
    xf[7] = s.rotation;
    xf[9] = kAllAttributesUsed;

    const auto& b = s.borders;
    Put32(xf, 10,
          b[kBorderLeft] | (b[kBorderRight] << 4) | (b[kBorderTop] << 8) | (b[kBorderBottom] << 12) |
              (BorderColour(b[kBorderLeft]) << 16) | (BorderColour(b[kBorderRight]) << 23));

    std::uint32_t fillPattern = 0;
    std::uint32_t foreground = kSystemForeground;
    std::uint32_t background = kSystemBackground;
    if (s.fill != kNoColour) {
        fillPattern = kSolidPattern;
        foreground = ColourIndex(s.fill);
        background = kSystemForeground;
    }
    Put32(xf, 14, BorderColour(b[kBorderTop]) | (BorderColour(b[kBorderBottom]) << 7) | (fillPattern << 26));
    Put16(xf, 18, foreground | (background << 7));

    return m_xfs.IndexFor(xf);
}

} // namespace k4xls
