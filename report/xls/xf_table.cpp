#include "report/xls/xf_table.h"

#include <algorithm>

#include "report/xls/record_ids.h"

namespace k4xls {

namespace {

XfRecord StandardXf(std::uint16_t font, bool style, std::uint8_t usedFlags)
{
    XfRecord xf{};
    xf[0] = static_cast<std::uint8_t>(font);
    xf[4] = style ? 0xF5 : 0x01; // style XF: locked, style bit, parent 0xFFF
    xf[5] = style ? 0xFF : 0x00; // cell XF: locked, parent 0 (Normal)
    xf[6] = 0x20;                // vertical alignment bottom
    xf[9] = usedFlags;
    xf[18] = 0xC0; // pattern colours 0x40 and 0x41: system defaults
    xf[19] = 0x20;
    return xf;
}

} // namespace

XfTable::XfTable()
{
    m_xfs.reserve(64);
    m_xfs.push_back(StandardXf(0, true, 0x00)); // Normal
    // The built-in outline styles (RowLevel/ColLevel): fonts 1 and 2 for
    // the first four as Excel writes them.
    const std::uint16_t outlineFonts[14] = {1, 1, 2, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    for (const std::uint16_t font : outlineFonts)
        m_xfs.push_back(StandardXf(font, true, 0xF4));
    m_xfs.push_back(StandardXf(0, false, 0x00)); // default cell XF
}

std::optional<std::uint16_t> XfTable::IndexFor(const XfRecord& xf)
{
    const auto found = std::find(m_xfs.begin() + kDefaultCellXf, m_xfs.end(), xf);
    if (found != m_xfs.end())
        return static_cast<std::uint16_t>(found - m_xfs.begin());
    if (m_xfs.size() == kMaxXfs)
        return std::nullopt;
    m_xfs.push_back(xf);
    return static_cast<std::uint16_t>(m_xfs.size() - 1);
}

void XfTable::Write(BiffWriter& writer) const
{
    for (const XfRecord& xf : m_xfs)
        writer.Record(rec::kXf, xf.data(), xf.size());
    const std::uint8_t normalStyle[4] = {0x00, 0x80, 0x00, 0xFF}; // XF 0 built in, Normal, level 0xFF
    writer.Record(rec::kStyle, normalStyle, sizeof normalStyle);
}

} // namespace k4xls
