#pragma once
#include <cstdint>
#include <span>
#include <string>

#include "common/message_sink.h"
#include "common/texts.h"

namespace k4 {

// Writes basePath + ".xls" through the spreadsheet component loaded from
// the program folder. True only when the workbook was written.
bool WriteXlsReport(std::uint16_t tableOffset, std::uint16_t tableLength, std::span<const std::uint8_t> table,
                    std::string basePath, MessageSink& messages);

// The same with the folder that holds the component and the logo given
// explicitly (tests, tools run from a build tree).
bool WriteXlsReport(std::uint16_t tableOffset, std::uint16_t tableLength, std::span<const std::uint8_t> table,
                    std::string basePath, MessageSink& messages, const std::string& programFolder);

} // namespace k4
