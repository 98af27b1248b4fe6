#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "report/xls/formula_compiler.h"
#include "report/xls/sheet_calculator.h"

using namespace k4xls;
using Kind = FormulaValue::Kind;

namespace {

constexpr double kNow = 45000.5;

// A sheet of cells and formulas, rows and columns 1-based as in R1C1.
class Sheet {
public:
    void Number(int row, int column, double value) { Put(row, column, CellKind::Number, value, 0); }
    void Text(int row, int column, std::u16string_view text)
    {
        Put(row, column, CellKind::Text, 0, m_strings.AddPlain(text));
    }
    void Blank(int row, int column) { Put(row, column, CellKind::Blank, 0, 0); }
    void Formula(int row, int column, std::u16string_view text)
    {
        const std::size_t start = m_formulas.Tokens().size();
        ASSERT_TRUE(m_compiler.Compile(text, m_formulas.Tokens()));
        Put(row, column, CellKind::Formula, 0, m_formulas.Seal(start));
    }
    FormulaValue Result(int row, int column)
    {
        SheetCalculator calculator(m_cells, m_formulas, m_strings, kNow);
        const Cell* cell = m_cells.Find(static_cast<std::uint32_t>(row - 1), static_cast<std::uint16_t>(column - 1));
        EXPECT_TRUE(cell && cell->kind == CellKind::Formula);
        return calculator.ResultOf(cell->ref);
    }

private:
    void Put(int row, int column, CellKind kind, double number, std::uint32_t ref)
    {
        bool isNew = false;
        Cell& cell = m_cells.Place(static_cast<std::uint32_t>(row - 1), static_cast<std::uint16_t>(column - 1), isNew);
        cell.kind = kind;
        cell.number = number;
        cell.ref = ref;
    }

    CellStore m_cells;
    FormulaStore m_formulas;
    StringTable m_strings;
    FormulaCompiler m_compiler;
};

void ExpectValue(const FormulaValue& actual, const FormulaValue& expected)
{
    ASSERT_EQ(actual.kind, expected.kind);
    EXPECT_EQ(actual.error, expected.error);
    EXPECT_NEAR(actual.number, expected.number, 1e-12);
}

const FormulaValue kDiv0 = FormulaValue::Error(error::kDivideByZero);
FormulaValue Num(double n)
{
    return FormulaValue::Number(n);
}

} // namespace

// The two formulas of an event row, reading the currents in row 13 (blank
// when missing, text when over range) and the Max Amps cell R7C9.
TEST(FormulaEvaluator, EventRowFormulasCacheWhatASpreadsheetShows)
{
    using Amps = std::optional<double>;
    struct Case {
        Amps maxAmps, l1, l2, l3;
        bool overrange;
        FormulaValue load, unbalance;
    };
    const Case cases[] = {
        {20, 10, 10, 10, false, Num(0.5), Num(0)},
        {20, 9, 10, 11, false, Num(0.55), Num(0.1)},
        {20, 1, 1, 1, false, Num(0), Num(0)}, // 1 is not above a tenth of 20: the gate stays shut
        {0, 9, 10, 11, false, kDiv0, Num(0.1)},
        {std::nullopt, 10, 10, 10, false, kDiv0, Num(0)}, // an empty Max Amps cell counts as 0
        {0, std::nullopt, std::nullopt, std::nullopt, false, Num(0), Num(0)},
        {0, std::nullopt, std::nullopt, std::nullopt, true, Num(0), Num(0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "case " << &c - cases);
        Sheet sheet;
        if (c.maxAmps)
            sheet.Number(7, 9, *c.maxAmps);
        const Amps currents[3] = {c.l1, c.l2, c.l3};
        for (int k = 0; k < 3; ++k)
            currents[k] ? sheet.Number(13, 13 + k, *currents[k]) : sheet.Blank(13, 13 + k);
        if (c.overrange)
            sheet.Text(13, 13, u"Overrange");
        sheet.Formula(13, 16, u"=IF(MAX(R13C13:R13C15)>0.1*R7C9;MAX(R13C13:R13C15)/R7C9;0)");
        sheet.Formula(13, 17,
                      u"=IF(MAX(R13C13:R13C15)>0.1*R7C9;MAX(ABS((AVERAGE(R13C13:R13C15)-R13C13)/AVERAGE(R13C13:"
                      u"R13C15));ABS((AVERAGE(R13C13:R13C15)-R13C14)/AVERAGE(R13C13:R13C15));"
                      u"ABS((AVERAGE(R13C13:R13C15)-R13C15)/AVERAGE(R13C13:R13C15)));0)");
        ExpectValue(sheet.Result(13, 16), c.load);
        ExpectValue(sheet.Result(13, 17), c.unbalance);
    }
}
