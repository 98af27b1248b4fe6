#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "report/xls/formula_compiler.h"
#include "report/xls/serial_date.h"
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

// The two formulas of an event row, reading the currents of row 13 and
// the Max Amps cell R7C9.
struct ReportRow {
    FormulaValue percentOfMax;
    FormulaValue unbalance;
};

ReportRow Evaluate(std::optional<double> maxAmps, std::optional<double> l1, std::optional<double> l2,
                   std::optional<double> l3)
{
    Sheet sheet;
    if (maxAmps)
        sheet.Number(7, 9, *maxAmps);
    const std::optional<double> currents[3] = {l1, l2, l3};
    for (int k = 0; k < 3; ++k)
        if (currents[k])
            sheet.Number(13, 13 + k, *currents[k]);
        else
            sheet.Blank(13, 13 + k);
    sheet.Formula(13, 16, u"=IF(MAX(R13C13:R13C15)>0.1*R7C9;MAX(R13C13:R13C15)/R7C9;0)");
    sheet.Formula(13, 17,
                  u"=IF(MAX(R13C13:R13C15)>0.1*R7C9;MAX(ABS((AVERAGE(R13C13:R13C15)-R13C13)/AVERAGE(R13C13:R13C15));"
                  u"ABS((AVERAGE(R13C13:R13C15)-R13C14)/AVERAGE(R13C13:R13C15));"
                  u"ABS((AVERAGE(R13C13:R13C15)-R13C15)/AVERAGE(R13C13:R13C15)));0)");
    return ReportRow{sheet.Result(13, 16), sheet.Result(13, 17)};
}

void ExpectNumber(const FormulaValue& value, double expected)
{
    ASSERT_EQ(value.kind, Kind::Number);
    EXPECT_NEAR(value.number, expected, 1e-12);
}

void ExpectError(const FormulaValue& value, std::uint8_t code)
{
    ASSERT_EQ(value.kind, Kind::Error);
    EXPECT_EQ(value.error, code);
}

} // namespace

TEST(FormulaEvaluator, ReportRowsWithMaxAmpsSet)
{
    ReportRow even = Evaluate(20, 10, 10, 10);
    ExpectNumber(even.percentOfMax, 0.5);
    ExpectNumber(even.unbalance, 0);

    ReportRow uneven = Evaluate(20, 9, 10, 11);
    ExpectNumber(uneven.percentOfMax, 0.55);
    ExpectNumber(uneven.unbalance, 0.1);

    // 1 is not above a tenth of 20: the gate stays shut.
    ReportRow low = Evaluate(20, 1, 1, 1);
    ExpectNumber(low.percentOfMax, 0);
    ExpectNumber(low.unbalance, 0);
}

TEST(FormulaEvaluator, MaxAmpsStillZeroDividesByZeroButShowsTheUnbalance)
{
    ReportRow row = Evaluate(0, 9, 10, 11);
    ExpectError(row.percentOfMax, error::kDivideByZero);
    ExpectNumber(row.unbalance, 0.1);

    // An empty Max Amps cell counts as 0 as well.
    ReportRow empty = Evaluate(std::nullopt, 10, 10, 10);
    ExpectError(empty.percentOfMax, error::kDivideByZero);
    ExpectNumber(empty.unbalance, 0);
}

TEST(FormulaEvaluator, RowsWithoutCurrentsGiveZero)
{
    ReportRow blank = Evaluate(0, std::nullopt, std::nullopt, std::nullopt);
    ExpectNumber(blank.percentOfMax, 0);
    ExpectNumber(blank.unbalance, 0);

    Sheet sheet; // "Overrange" in L1, L2 and L3 blank
    sheet.Number(7, 9, 0);
    sheet.Text(13, 13, u"Overrange");
    sheet.Formula(13, 16, u"=IF(MAX(R13C13:R13C15)>0.1*R7C9;MAX(R13C13:R13C15)/R7C9;0)");
    ExpectNumber(sheet.Result(13, 16), 0);
}

TEST(FormulaEvaluator, AggregatesIgnoreTextAndBlanksInReferences)
{
    Sheet sheet;
    sheet.Text(1, 1, u"12");
    sheet.Blank(1, 2);
    sheet.Number(1, 3, -4);
    sheet.Formula(2, 1, u"=MAX(R1C1:R1C2)");
    sheet.Formula(2, 2, u"=AVERAGE(R1C1:R1C2)");
    sheet.Formula(2, 3, u"=AVERAGE(R1C1:R1C3;2)");
    sheet.Formula(2, 4, u"=MAX(R1C3;R1C1)");
    ExpectNumber(sheet.Result(2, 1), 0);
    ExpectError(sheet.Result(2, 2), error::kDivideByZero);
    ExpectNumber(sheet.Result(2, 3), -1);
    ExpectNumber(sheet.Result(2, 4), -4);
}

TEST(FormulaEvaluator, TextInArithmeticAndErrorsPassOn)
{
    Sheet sheet;
    sheet.Text(1, 1, u"abc");
    sheet.Text(1, 2, u" 2.5 ");
    sheet.Number(1, 3, 0);
    sheet.Formula(2, 1, u"=R1C1+1");
    sheet.Formula(2, 2, u"=R1C2*2");
    sheet.Formula(2, 3, u"=1/R1C3");
    sheet.Formula(2, 4, u"=MAX(R2C3;5)");   // an error in an argument wins
    sheet.Formula(2, 5, u"=MAX(R2C1:R2C3)"); // and in a referenced cell
    sheet.Formula(2, 6, u"=IF(R2C3>0;1;2)");
    ExpectError(sheet.Result(2, 1), error::kValue);
    ExpectNumber(sheet.Result(2, 2), 5);
    ExpectError(sheet.Result(2, 3), error::kDivideByZero);
    ExpectError(sheet.Result(2, 4), error::kDivideByZero);
    ExpectError(sheet.Result(2, 5), error::kValue);
    ExpectError(sheet.Result(2, 6), error::kDivideByZero);
}

TEST(FormulaEvaluator, IfChoosesWithoutLettingTheOtherBranchMatter)
{
    Sheet sheet;
    sheet.Number(1, 1, 0);
    sheet.Formula(2, 1, u"=IF(R1C1>0;1/R1C1;7)");
    sheet.Formula(2, 2, u"=IF(R1C1;1)");
    sheet.Formula(2, 3, u"=IF(R1C1=0;R1C5;1)"); // an empty cell gives 0
    sheet.Formula(2, 4, u"=-(2-5)*ABS(-3)");
    ExpectNumber(sheet.Result(2, 1), 7);
    ASSERT_EQ(sheet.Result(2, 2).kind, Kind::Boolean);
    EXPECT_EQ(sheet.Result(2, 2).number, 0);
    ExpectNumber(sheet.Result(2, 3), 0);
    ExpectNumber(sheet.Result(2, 4), 9);
}

TEST(FormulaEvaluator, FormulasReadOtherFormulasAndSurviveCycles)
{
    Sheet sheet;
    sheet.Number(1, 1, 4);
    sheet.Formula(1, 2, u"=R1C1*2");
    sheet.Formula(1, 3, u"=R1C2+R1C1");
    sheet.Formula(1, 4, u"=MAX(R1C1:R1C3)");
    ExpectNumber(sheet.Result(1, 4), 12);

    sheet.Formula(3, 1, u"=R3C2+1");
    sheet.Formula(3, 2, u"=R3C1+1");
    ExpectNumber(sheet.Result(3, 1), 2); // the cycle is cut at 0
}

TEST(FormulaEvaluator, NowGivesTheSerialDateOfTheClose)
{
    Sheet sheet;
    sheet.Formula(1, 1, u"=NOW()");
    ExpectNumber(sheet.Result(1, 1), kNow);

    EXPECT_DOUBLE_EQ(SerialDateOf(1900, 3, 1, 0, 0, 0), 61);
    EXPECT_DOUBLE_EQ(SerialDateOf(2024, 1, 1, 18, 0, 0), 45292.75);
    const double now = CurrentSerialDate();
    EXPECT_GT(now, SerialDateOf(2024, 1, 1, 0, 0, 0));
    EXPECT_LT(now, SerialDateOf(2100, 1, 1, 0, 0, 0));
}
