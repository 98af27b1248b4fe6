#pragma once
// The "Workbook" stream: the globals substream, then one substream per
// worksheet.

#include "report/xls/byte_buffer.h"

namespace k4xls {

class WorkbookModel;

// `now` is the serial date that NOW() formulas cache.
ByteBuffer BuildWorkbookStream(const WorkbookModel& book, double now);

} // namespace k4xls
