#pragma once
// The workbook's XF records: the 16 standard ones (15 style XFs and the
// default cell XF 15), then one per distinct cell format in use.

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "report/xls/biff_writer.h"

namespace k4xls {

using XfRecord = std::array<std::uint8_t, 20>;

class XfTable {
public:
    static constexpr std::uint16_t kDefaultCellXf = 15;
    // Excel's own limit for an .xls file.
    static constexpr std::size_t kMaxXfs = 4050;

    XfTable();

    // The index of an identical cell XF, added if new; empty when full.
    std::optional<std::uint16_t> IndexFor(const XfRecord& xf);
    std::size_t Count() const { return m_xfs.size(); }
    const XfRecord& At(std::uint16_t index) const { return m_xfs[index]; }

    // All XF records, then the STYLE record of the Normal style.
    void Write(BiffWriter& writer) const;

private:
    std::vector<XfRecord> m_xfs;
};

} // namespace k4xls
