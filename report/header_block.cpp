#include "report/header_block.h"

#include "eventlog/event_decoding.h"
#include "report/component_call.h"
#include "report/report_layout.h"
#include "report/utf16_from_utf8.h"

namespace k4 {

using namespace k4xls;

namespace {

using namespace layout;

void PlaceLogo(ReportSheet& sheet, int row, const std::string& logoPath)
{
    sheet.MergedText(row, 1, kLogoColumns, kLogoRows, "");
    Call(&sheet.Worksheet(), &IWorksheet::InsertPicture, Utf16FromUtf8(logoPath).c_str(), row, 1, row + kLogoRows - 1,
         kLogoColumns, 0, 0, 0, 0);
}

// The download date and the Max Amps cell that the row formulas use.
void WriteDateAndMaxAmps(ReportSheet& sheet, const ReportStyles& s, int row)
{
    sheet.Apply(s.labelStyle);
    sheet.MergedText(row, 1, 3, 1, "Date:");
    sheet.Apply(s.dateStyle);
    IMergedArea& date = sheet.Merge(row, 5, 3, 1);
    sheet.Apply(s.dateStyle);
    Call(&date, &IMergedArea::SetFormula, u"=NOW()");
    sheet.Apply(s.labelRightStyle);
    sheet.Text(row, kMaxAmpsLabelColumn, "Max Amps:");
    sheet.Apply(s.entryNumberStyle);
    sheet.Integer(row, kMaxAmpsColumn, 0);
}

// Label and an empty area for the user to fill in.
void WriteEntryRow(ReportSheet& sheet, const ReportStyles& s, int row, std::string_view label)
{
    sheet.Apply(s.labelStyle);
    sheet.MergedText(row, 1, 3, 1, label);
    sheet.Apply(s.entryTextStyle);
    sheet.MergedText(row, 5, 3, 1, "");
}

void WriteFlagsHeading(ReportSheet& sheet, const ReportStyles& s, int row)
{
    IRichText& text = sheet.Hold(Fetch(&sheet.Worksheet(), &IWorksheet::NewRichText));
    Call(&text, &IRichText::AppendRun, u"Trip Enable Flags\n", s.tripFlagsHeadingStyle.Get());
    Call(&text, &IRichText::AppendRun, u" and\nRestart Attempt Enable Flags", s.headingStyle.Get());
    Call(&sheet.Merge(row, kFirstFlagColumn, 7, 1), &IMergedArea::SetRichText, &text);
}

void WriteUpperHeadings(ReportSheet& sheet, const ReportStyles& s, int row)
{
    sheet.Apply(s.headingStyle);
    Call(&sheet.Worksheet(), &IWorksheet::SetRowHeight, row, 48.0);
    sheet.MergedText(row, kIndexColumn, 1, 2, "Event");
    sheet.MergedText(row, kAccumulatedColumn, 3, 1, "Accumulated\nRun Time");
    sheet.MergedText(row, kElapsedColumn, 3, 1, "Elapsed Run Time");
    sheet.MergedText(row, kConditionColumn, 1, 2, "Condition");
    sheet.Apply(s.faultHeadingStyle);
    sheet.MergedText(row, kFaultColumn, 1, 2, "Fault");
    sheet.Apply(s.headingStyle);
    sheet.MergedText(row, kFirstVoltageColumn, 3, 1, "Motor Voltage");
    sheet.MergedText(row, kFirstCurrentColumn, 3, 1, "Motor Amps");
    sheet.Apply(s.headingVerticalStyle);
    sheet.MergedText(row, kPercentOfMaxAmpsColumn, 1, 2, "% of Max Amps");
    sheet.MergedText(row, kCurrentUnbalanceColumn, 1, 2, "% Current Unbalance");
    sheet.Apply(s.headingStyle);
    sheet.MergedText(row, kParameterValueColumn, 1, 2, "Parameter\nChanged To");
    WriteFlagsHeading(sheet, s, row);
}

void WriteLowerHeadings(ReportSheet& sheet, const ReportStyles& s, int row)
{
    Call(&sheet.Worksheet(), &IWorksheet::SetRowHeight, row, 78.0);
    sheet.Apply(s.headingVerticalStyle);
    for (int first : {kAccumulatedColumn, kElapsedColumn}) {
        sheet.Text(row, first, "Day");
        sheet.Text(row, first + 1, "Hour");
        sheet.Text(row, first + 2, "Minute");
    }
    sheet.Apply(s.headingStyle);
    for (int first : {kFirstVoltageColumn, kFirstCurrentColumn}) {
        sheet.Text(row, first, "L1");
        sheet.Text(row, first + 1, "L2");
        sheet.Text(row, first + 2, "L3");
    }
    sheet.Apply(s.headingVerticalStyle);
    for (int bit = 0; bit < 7; ++bit)
        sheet.Text(row, kFirstFlagColumn + bit, kProtectionFlagNames[bit]);
}

// Keeps the header and headings in view while the event rows scroll.
void FreezeAbove(IWorksheet& worksheet, int row)
{
    Call(Fetch(&worksheet, &IWorksheet::GetSheetSettings), &ISheetSettings::SetFirst, row);
    Call(Fetch(&worksheet, &IWorksheet::GetSheetSettings), &ISheetSettings::SetSecond, 1);
}

} // namespace

HeaderLayout WriteHeaderBlock(ReportSheet& sheet, const ReportStyles& styles, const std::string& logoPath)
{
    PlaceLogo(sheet, kLogoRow, logoPath);
    WriteDateAndMaxAmps(sheet, styles, kMaxAmpsRow);
    WriteEntryRow(sheet, styles, kUnitIdRow, "Pumpvisor ID:");
    WriteEntryRow(sheet, styles, kCompanyRow, "Company:");
    WriteUpperHeadings(sheet, styles, kUpperHeadingRow);
    WriteLowerHeadings(sheet, styles, kLowerHeadingRow);

    sheet.Apply(styles.cellStyle);
    FreezeAbove(sheet.Worksheet(), kFirstEventRow);
    return HeaderLayout{kFirstEventRow, kMaxAmpsRow, kMaxAmpsColumn};
}

} // namespace k4
