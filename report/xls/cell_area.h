#pragma once
// A rectangle of cells, 0-based and inclusive.

#include <cstdint>

namespace k4xls {

struct CellArea {
    std::uint32_t firstRow = 0;
    std::uint32_t lastRow = 0;
    std::uint16_t firstColumn = 0;
    std::uint16_t lastColumn = 0;

    bool Contains(std::uint32_t row, std::uint16_t column) const
    {
        return row >= firstRow && row <= lastRow && column >= firstColumn && column <= lastColumn;
    }
    bool Overlaps(const CellArea& o) const
    {
        return firstRow <= o.lastRow && o.firstRow <= lastRow && firstColumn <= o.lastColumn &&
               o.firstColumn <= lastColumn;
    }
    bool IsSingleCell() const { return firstRow == lastRow && firstColumn == lastColumn; }
    bool operator==(const CellArea&) const = default;
};

} // namespace k4xls
