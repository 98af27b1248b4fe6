#pragma once
// The cached results of a worksheet's formulas, calculated on demand over
// the sheet's cells (formula cells read other formulas' results).

#include <cstdint>
#include <vector>

#include "report/xls/cell_store.h"
#include "report/xls/formula_evaluator.h"
#include "report/xls/formula_store.h"
#include "report/xls/string_table.h"

namespace k4xls {

class SheetCalculator final : public CellValueSource {
public:
    SheetCalculator(const CellStore& cells, const FormulaStore& formulas, const StringTable& strings, double now);

    FormulaValue ResultOf(std::uint32_t formula);

    FormulaValue ValueAt(std::uint32_t row, std::uint16_t column) override;
    void VisitArea(const CellArea& area, Visitor& visit) override;

private:
    enum class State : std::uint8_t { Pending, Running, Done };
    // Formulas reading formulas recurse; a chain longer than this is cut
    // off with #VALUE! instead of exhausting the stack. Readers that
    // recalculate put the right value back.
    static constexpr int kMaxChain = 400;

    FormulaValue ValueOf(const Cell& cell);

    const CellStore& m_cells;
    const FormulaStore& m_formulas;
    const StringTable& m_strings;
    double m_now;
    int m_chain = 0;
    std::vector<State> m_state;
    std::vector<FormulaValue> m_results;
    FormulaEvaluator m_evaluator;
};

} // namespace k4xls
