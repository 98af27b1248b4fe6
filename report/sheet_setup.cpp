#include "report/sheet_setup.h"

#include <cstdio>

#include "report/component_call.h"
#include "report/style_setters.h"
#include "report/utf16_from_utf8.h"

namespace k4 {

using namespace k4xls;

namespace {

constexpr std::int32_t kZoomPercent = 75;
constexpr int kHeaderLastRow = 12;
constexpr int kLastColumn = 25;

void SetSheetSwitches(IWorksheet& sheet)
{
    // Each switch on its own fetch of the switches object.
    Call(Fetch(&sheet, &IWorksheet::GetSheetSwitches), &ISheetSwitches::SetFirst, 1);
    Call(Fetch(&sheet, &IWorksheet::GetSheetSwitches), &ISheetSwitches::SetSecond, 1);
    Call(Fetch(&sheet, &IWorksheet::GetSheetSwitches), &ISheetSwitches::SetThird, 1);
}

void SetColumnWidths(IWorksheet& sheet)
{
    Call(&sheet, &IWorksheet::SetColumnWidths, 1, 7, 7.0);   // run time columns
    Call(&sheet, &IWorksheet::SetColumnWidth, 8, 28.0);      // condition
    Call(&sheet, &IWorksheet::SetColumnWidths, 9, 17, 9.0);  // fault to unbalance
    Call(&sheet, &IWorksheet::SetColumnWidth, 18, 13.0);     // parameter value
    Call(&sheet, &IWorksheet::SetColumnWidths, 19, 25, 5.0); // flag bits
}

std::string R1C1Range(int firstRow, int firstColumn, int lastRow, int lastColumn)
{
    char text[64];
    std::snprintf(text, sizeof text, "R%dC%d:R%dC%d", firstRow, firstColumn, lastRow, lastColumn);
    return text;
}

void PaintHeaderAreaWhite(ReportSheet& sheet)
{
    const std::u16string area = Utf16FromUtf8(R1C1Range(1, 1, kHeaderLastRow, kLastColumn));
    IRange& range = sheet.Hold(Fetch(&sheet.Worksheet(), &IWorksheet::GetRange, area.c_str()));
    SetFillColour(*Fetch(&range, &IRange::GetStyle), kColourWhite);
    Call(&range, &IRange::ApplyStyle);
}

} // namespace

void SetUpSheet(ReportSheet& sheet)
{
    IWorksheet& worksheet = sheet.Worksheet();
    Call(&worksheet, &IWorksheet::SetSheetOption, kZoomPercent);
    SetSheetSwitches(worksheet);
    SetColumnWidths(worksheet);
    PaintHeaderAreaWhite(sheet);
}

} // namespace k4
