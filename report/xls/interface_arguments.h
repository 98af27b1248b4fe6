#pragma once
// Checks and conversions of the interface's 1-based rows and columns.

#include <cstdint>
#include <optional>

#include "report/xls/cell_area.h"
#include "report/xls/cell_store.h"

namespace k4xls {

inline bool IsRow(std::int32_t row)
{
    return row >= 1 && row <= static_cast<std::int32_t>(CellStore::kRows);
}
inline bool IsColumn(std::int32_t column)
{
    return column >= 1 && column <= CellStore::kColumns;
}

// The 0-based area of `rows` x `columns` cells from (row, column); empty
// when any part lies outside the sheet.
inline std::optional<CellArea> AreaFrom(std::int32_t row, std::int32_t column, std::int32_t rows, std::int32_t columns)
{
    if (!IsRow(row) || !IsColumn(column) || rows < 1 || columns < 1)
        return std::nullopt;
    const std::int64_t lastRow = std::int64_t{row} + rows - 1;
    const std::int64_t lastColumn = std::int64_t{column} + columns - 1;
    if (lastRow > CellStore::kRows || lastColumn > CellStore::kColumns)
        return std::nullopt;
    return CellArea{static_cast<std::uint32_t>(row - 1), static_cast<std::uint32_t>(lastRow - 1),
                    static_cast<std::uint16_t>(column - 1), static_cast<std::uint16_t>(lastColumn - 1)};
}

} // namespace k4xls
