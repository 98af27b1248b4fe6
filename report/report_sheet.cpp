#include "report/report_sheet.h"

#include "report/component_call.h"
#include "report/utf16_from_utf8.h"

namespace k4 {

using namespace k4xls;

void ReportSheet::Apply(const ComRef<IStyle>& style)
{
    Call(style, &IStyle::Apply);
}

void ReportSheet::Text(int row, int column, std::string_view text)
{
    Call(&m_sheet, &IWorksheet::SetText, row, column, Utf16FromUtf8(text).c_str());
}

void ReportSheet::Integer(int row, int column, std::int32_t value)
{
    Call(&m_sheet, &IWorksheet::SetInteger, row, column, value);
}

void ReportSheet::Number(int row, int column, double value)
{
    Call(&m_sheet, &IWorksheet::SetNumber, row, column, value);
}

void ReportSheet::Formula(int row, int column, std::string_view formula)
{
    Call(&m_sheet, &IWorksheet::SetFormula, row, column, Utf16FromUtf8(formula).c_str());
}

IMergedArea& ReportSheet::Merge(int row, int column, int columns, int rows)
{
    ComRef<IMergedArea> area = Fetch(&m_sheet, &IWorksheet::NewMergedArea);
    Call(area, &IMergedArea::SetFirstRow, row);
    Call(area, &IMergedArea::SetFirstColumn, column);
    Call(area, &IMergedArea::SetColumns, columns);
    Call(area, &IMergedArea::SetRows, rows);
    return Hold(std::move(area));
}

void ReportSheet::MergedText(int row, int column, int columns, int rows, std::string_view text)
{
    Call(&Merge(row, column, columns, rows), &IMergedArea::SetText, Utf16FromUtf8(text).c_str());
}

} // namespace k4
