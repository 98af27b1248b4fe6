#include "report/row_formulas.h"

#include <cstdio>

#include "report/report_layout.h"

namespace k4 {

namespace {

using namespace layout;

// Both formulas compute only when the largest current exceeds a tenth of
// Max Amps: that keeps idle rows (and text or blank currents) blank.
std::string CurrentGate(int row, MaxAmpsCell maxAmps)
{
    char text[96];
    std::snprintf(text, sizeof text, "MAX(R%dC%d:R%dC%d)>0.1*R%dC%d", row, kFirstCurrentColumn, row, kLastCurrentColumn,
                  maxAmps.row, maxAmps.column);
    return text;
}

std::string LineDeviation(int row, int lineColumn)
{
    char text[96];
    std::snprintf(text, sizeof text, "ABS((AVERAGE(R%dC%d:R%dC%d)-R%dC%d)/AVERAGE(R%dC%d:R%dC%d))", row,
                  kFirstCurrentColumn, row, kLastCurrentColumn, row, lineColumn, row, kFirstCurrentColumn, row,
                  kLastCurrentColumn);
    return text;
}

} // namespace

std::string PercentOfMaxAmpsFormula(int row, MaxAmpsCell maxAmps)
{
    char share[96];
    std::snprintf(share, sizeof share, "MAX(R%dC%d:R%dC%d)/R%dC%d", row, kFirstCurrentColumn, row, kLastCurrentColumn,
                  maxAmps.row, maxAmps.column);
    return "=IF(" + CurrentGate(row, maxAmps) + ";" + share + ";0)";
}

std::string CurrentUnbalanceFormula(int row, MaxAmpsCell maxAmps)
{
    std::string formula = "=IF(" + CurrentGate(row, maxAmps) + ";MAX(";
    for (int column = kFirstCurrentColumn; column <= kLastCurrentColumn; ++column) {
        if (column != kFirstCurrentColumn)
            formula += ';';
        formula += LineDeviation(row, column);
    }
    return formula + ");0)";
}

void WriteRowFormulas(ReportSheet& sheet, const ReportStyles& styles, int row, MaxAmpsCell maxAmps)
{
    sheet.Apply(styles.percentStyle);
    sheet.Formula(row, kPercentOfMaxAmpsColumn, PercentOfMaxAmpsFormula(row, maxAmps));
    sheet.Formula(row, kCurrentUnbalanceColumn, CurrentUnbalanceFormula(row, maxAmps));
}

} // namespace k4
