#pragma once
// The shared string table (SST with its CONTINUE records) and its index
// (EXTSST).

#include <cstdint>
#include <span>

#include "report/xls/biff_writer.h"
#include "report/xls/string_table.h"

namespace k4xls {

// Writes the strings `order` (ids into `strings`, SST index = position in
// `order`) referred to by `totalReferences` cells.
void WriteSharedStrings(BiffWriter& writer, const StringTable& strings, std::span<const std::uint32_t> order,
                        std::uint32_t totalReferences);

} // namespace k4xls
