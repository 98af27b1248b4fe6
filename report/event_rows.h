#pragma once
#include <cstdint>
#include <span>

#include "report/header_block.h"
#include "report/report_sheet.h"
#include "report/report_styles.h"

namespace k4 {

// The report shows the records with indexes 0 to 511, one per row from the
// layout's first event row; later records are not shown.
inline constexpr int kLastShownRecordIndex = 511;

// Writes the event rows of the table (`table` runs from the first record
// to the end of the gathered image; nothing outside it is read).
void WriteEventRows(ReportSheet& sheet, const ReportStyles& styles, const HeaderLayout& layout,
                    std::span<const std::uint8_t> table, std::uint16_t tableLength);

} // namespace k4
