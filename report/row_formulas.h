#pragma once
#include <string>

#include "report/report_sheet.h"
#include "report/report_styles.h"

namespace k4 {

// Where the row formulas find the Max Amps value the user enters.
struct MaxAmpsCell {
    int row = 0;
    int column = 0;
};

// Load as a share of Max Amps, from the row's three current cells.
std::string PercentOfMaxAmpsFormula(int row, MaxAmpsCell maxAmps);

// Largest deviation of a line current from the three lines' average.
std::string CurrentUnbalanceFormula(int row, MaxAmpsCell maxAmps);

// Both formula cells of an event row, in percentStyle.
void WriteRowFormulas(ReportSheet& sheet, const ReportStyles& styles, int row, MaxAmpsCell maxAmps);

} // namespace k4
