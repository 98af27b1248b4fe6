#pragma once
#include <cstdint>
#include <span>
#include <string>

#include "common/message_sink.h"
#include "common/texts.h"

namespace k4 {

// Renders the whole comma-delimited file (header line included, CR LF after
// every line) from the event table. Empty when the table length is 0.
std::string RenderCsv(std::uint16_t tableLength, std::span<const std::uint8_t> table);

// Writes basePath + ".csv". Table length 0: false, no file, no message.
// Any failure to create, write or close: the message above, false, and the
// target left as it was (no partial file, an older file kept).
bool WriteCsvFile(std::uint16_t tableOffset, std::uint16_t tableLength, std::span<const std::uint8_t> table,
                  std::string basePath, MessageSink& messages);

} // namespace k4
