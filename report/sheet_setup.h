#pragma once
#include "report/report_sheet.h"

namespace k4 {

// Zoom, print switches, column widths, and the white ground of the header
// area A1:Y12.
void SetUpSheet(ReportSheet& sheet);

} // namespace k4
