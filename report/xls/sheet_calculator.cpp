#include "report/xls/sheet_calculator.h"

#include <algorithm>

namespace k4xls {

SheetCalculator::SheetCalculator(const CellStore& cells, const FormulaStore& formulas, const StringTable& strings,
                                 double now)
    : m_cells(cells), m_formulas(formulas), m_strings(strings), m_now(now), m_state(formulas.Count()),
      m_results(formulas.Count())
{}

FormulaValue SheetCalculator::ResultOf(std::uint32_t formula)
{
    switch (m_state[formula]) {
    case State::Done: return m_results[formula];
    case State::Running:
        // A circular reference: spreadsheets show 0 until it is resolved.
        return FormulaValue::Number(0);
    case State::Pending: break;
    }
    if (m_chain >= kMaxChain)
        return FormulaValue::Error(error::kValue);
    m_state[formula] = State::Running;
    ++m_chain;
    const FormulaValue result = m_evaluator.Evaluate(m_formulas.TokensOf(formula), *this, m_now);
    --m_chain;
    m_state[formula] = State::Done;
    m_results[formula] = result;
    return result;
}

FormulaValue SheetCalculator::ValueOf(const Cell& cell)
{
    switch (cell.kind) {
    case CellKind::Number: return FormulaValue::Number(cell.number);
    case CellKind::Text: return FormulaValue::Text(m_strings.Text(cell.ref));
    case CellKind::Formula: return ResultOf(cell.ref);
    case CellKind::Blank: break;
    }
    return FormulaValue{};
}

FormulaValue SheetCalculator::ValueAt(std::uint32_t row, std::uint16_t column)
{
    const Cell* cell = m_cells.Find(row, column);
    return cell ? ValueOf(*cell) : FormulaValue{};
}

void SheetCalculator::VisitArea(const CellArea& area, Visitor& visit)
{
    if (m_cells.Rows().empty())
        return;
    const std::uint32_t lastRow =
        std::min<std::uint32_t>(area.lastRow, static_cast<std::uint32_t>(m_cells.Rows().size()) - 1);
    for (std::uint32_t row = area.firstRow; row <= lastRow; ++row) {
        for (const Cell& cell : m_cells.Cells(row, area.firstColumn, area.lastColumn)) {
            if (cell.kind == CellKind::Blank)
                continue;
            if (!visit.Visit(ValueOf(cell)))
                return;
        }
    }
}

} // namespace k4xls
