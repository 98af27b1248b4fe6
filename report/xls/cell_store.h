#pragma once
// The cells of one worksheet: per row, a vector of cells sorted by column.
// Rows and columns are 0-based here.

#include <cstdint>
#include <span>
#include <vector>

#include "report/xls/xf_table.h"

namespace k4xls {

enum class CellKind : std::uint8_t { Blank, Number, Text, Formula };

struct Cell {
    double number = 0;     // Number
    std::uint32_t ref = 0; // Text: string id; Formula: formula id
    std::uint16_t column = 0;
    std::uint16_t xf = XfTable::kDefaultCellXf;
    CellKind kind = CellKind::Blank;
};

struct RowData {
    std::vector<Cell> cells;
    std::uint16_t heightTwips = 0; // 0: the default height
};

class CellStore {
public:
    static constexpr std::uint32_t kRows = 65536;
    static constexpr std::uint16_t kColumns = 256;

    // The cell at (row, column), made as a default blank when new.
    Cell& Place(std::uint32_t row, std::uint16_t column, bool& isNew);
    const Cell* Find(std::uint32_t row, std::uint16_t column) const;
    // The cells of `row` from column `first` to `last`, both included.
    std::span<const Cell> Cells(std::uint32_t row, std::uint16_t first, std::uint16_t last) const;

    void SetRowHeight(std::uint32_t row, std::uint16_t twips);
    const std::vector<RowData>& Rows() const { return m_rows; }

private:
    RowData& Row(std::uint32_t row);

    std::vector<RowData> m_rows;
};

} // namespace k4xls
