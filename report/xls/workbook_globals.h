#pragma once
// The workbook globals substream: BOF to EOF, with fonts, formats, XFs,
// palette, sheet list, drawing group and shared strings.

#include <cstddef>
#include <span>
#include <vector>

#include "report/xls/biff_writer.h"
#include "report/xls/drawing_records.h"
#include "report/xls/shared_string_plan.h"

namespace k4xls {

class WorkbookModel;

// Writes the globals; returns, per sheet, where its BOUNDSHEET record
// holds the stream offset of the sheet's BOF, to be filled in once known.
std::vector<std::size_t> WriteWorkbookGlobals(BiffWriter& writer, const WorkbookModel& book,
                                              const SharedStringPlan& strings,
                                              std::span<const DrawingSummary> drawings);

// The BOF record opening a substream of `type` (5 globals, 0x10 worksheet).
void WriteBof(BiffWriter& writer, std::uint16_t type);

} // namespace k4xls
