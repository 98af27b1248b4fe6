#include "report/xls/cell_store.h"

#include <algorithm>

namespace k4xls {

namespace {

bool ColumnBefore(const Cell& cell, std::uint16_t column)
{
    return cell.column < column;
}

} // namespace

RowData& CellStore::Row(std::uint32_t row)
{
    if (row >= m_rows.size())
        m_rows.resize(row + 1);
    return m_rows[row];
}

Cell& CellStore::Place(std::uint32_t row, std::uint16_t column, bool& isNew)
{
    std::vector<Cell>& cells = Row(row).cells;
    // Rows are mostly written left to right: appending is the common case.
    if (cells.empty() || cells.back().column < column) {
        if (cells.capacity() == 0)
            cells.reserve(32);
        isNew = true;
        Cell& cell = cells.emplace_back();
        cell.column = column;
        return cell;
    }
    const auto at = std::lower_bound(cells.begin(), cells.end(), column, ColumnBefore);
    if (at->column == column) {
        isNew = false;
        return *at;
    }
    isNew = true;
    Cell fresh;
    fresh.column = column;
    return *cells.insert(at, fresh);
}

const Cell* CellStore::Find(std::uint32_t row, std::uint16_t column) const
{
    if (row >= m_rows.size())
        return nullptr;
    const std::vector<Cell>& cells = m_rows[row].cells;
    const auto at = std::lower_bound(cells.begin(), cells.end(), column, ColumnBefore);
    return at != cells.end() && at->column == column ? &*at : nullptr;
}

std::span<const Cell> CellStore::Cells(std::uint32_t row, std::uint16_t first, std::uint16_t last) const
{
    if (row >= m_rows.size())
        return {};
    const std::vector<Cell>& cells = m_rows[row].cells;
    const auto from = std::lower_bound(cells.begin(), cells.end(), first, ColumnBefore);
    auto to = from;
    while (to != cells.end() && to->column <= last)
        ++to;
    return std::span<const Cell>(cells.data() + (from - cells.begin()), static_cast<std::size_t>(to - from));
}

void CellStore::SetRowHeight(std::uint32_t row, std::uint16_t twips)
{
    Row(row).heightTwips = twips;
}

} // namespace k4xls
