#pragma once
#include <string>

#include "report/report_sheet.h"
#include "report/report_styles.h"

namespace k4 {

// Where the event rows start and where the formulas find Max Amps.
struct HeaderLayout {
    int firstEventRow = 0;
    int maxAmpsRow = 0;
    int maxAmpsColumn = 0;
};

// The logo, the header block (date, Max Amps, unit and company entries) and
// the two heading rows; leaves cellStyle applied and the panes frozen
// above the first event row.
HeaderLayout WriteHeaderBlock(ReportSheet& sheet, const ReportStyles& styles, const std::string& logoPath);

} // namespace k4
