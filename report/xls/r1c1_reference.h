#pragma once
// Absolute R1C1 references: "R7C9" and areas such as "R1C1:R12C25".

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "report/xls/cell_area.h"

namespace k4xls {

struct CellPosition {
    std::uint32_t row;    // 0-based
    std::uint16_t column; // 0-based
};

// Reads "R<row>C<column>" (letters in either case, rows 1 to 65536,
// columns 1 to 256) at `pos` and moves `pos` past it; empty and `pos`
// untouched when there is none.
std::optional<CellPosition> ReadR1C1Cell(std::u16string_view text, std::size_t& pos);

// The whole of `text` as one cell or an area of two corners in any order.
std::optional<CellArea> ParseR1C1Area(std::u16string_view text);

} // namespace k4xls
