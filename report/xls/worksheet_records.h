#pragma once
// A worksheet substream: BOF, calculation and page settings, column
// widths, the cell table, pictures, window settings, merged areas, EOF.

#include <cstdint>
#include <span>

#include "report/xls/biff_writer.h"

namespace k4xls {

class StringTable;
class WorksheetModel;

struct WorksheetContext {
    const StringTable& strings;
    std::span<const std::uint32_t> sstIndex; // SST index by string id
    std::uint32_t drawingId;                 // 0: the sheet has no pictures
    bool activeSheet;
    double now; // serial date for NOW()
};

void WriteWorksheet(BiffWriter& writer, const WorksheetModel& sheet, const WorksheetContext& context);

} // namespace k4xls
