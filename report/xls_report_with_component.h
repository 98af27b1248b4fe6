#pragma once
#include <cstdint>
#include <span>
#include <string>

#include "common/message_sink.h"
#include "report/xls/k4xls.h"

namespace k4 {

// The report writer once the component is loaded: builds the workbook
// through the engine that `start` gives and writes it to `outputPath`.
// Every reference taken is released before this returns, so the caller may
// free the component right after. Shows "Unable to create the Excel output
// file." on any failure; an empty table is not written and shows nothing.
bool WriteXlsReportWithComponent(K4XlsStartFn start, std::uint16_t tableLength, std::span<const std::uint8_t> table,
                                 const std::string& outputPath, const std::string& logoPath, MessageSink& messages);

} // namespace k4
