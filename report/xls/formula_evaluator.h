#pragma once
// Calculates a compiled formula the way a spreadsheet program would, for
// the result cached in the file.

#include <cstdint>
#include <span>
#include <vector>

#include "report/xls/formula_value.h"

namespace k4xls {

class FormulaEvaluator {
public:
    // `now` is what NOW() gives: a serial date. The result is never a
    // Reference: a single cell gives its value, an empty cell 0.
    FormulaValue Evaluate(std::span<const std::uint8_t> tokens, CellValueSource& cells, double now);

private:
    // One stack serves nested evaluations (a formula reading a formula
    // cell); each works above the depth at which it started.
    std::vector<FormulaValue> m_stack;
};

} // namespace k4xls
