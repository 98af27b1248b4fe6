#include "report/report_styles.h"

#include "report/component_call.h"
#include "report/style_setters.h"

namespace k4 {

using namespace k4xls;

namespace {

ComRef<IStyle> DuplicateOf(const ComRef<IStyle>& parent)
{
    return Fetch(parent, &IStyle::Duplicate);
}

// The settings every coloured column style starts from.
void SetBoxedCell(IStyle& style, std::int32_t fontColour, std::int32_t horizontal)
{
    SetFontColour(style, fontColour);
    SetFillColour(style, kColourWhite);
    SetHorizontal(style, horizontal);
    SetVertical(style, kVerticalCentre);
    SetBorders(style, kBorderThin);
}

// Fill, alignment and borders of the styles that carry a number format.
void SetFormattedCell(IStyle& style, std::int32_t fill, std::int32_t horizontal)
{
    SetFillColour(style, fill);
    SetHorizontal(style, horizontal);
    SetVertical(style, kVerticalCentre);
    SetBorders(style, kBorderThin);
}

} // namespace

ReportStyles MakeReportStyles(IWorksheet& sheet)
{
    ReportStyles s;
    s.baseStyle = Fetch(&sheet, &IWorksheet::NewStyle);

    s.cellStyle = DuplicateOf(s.baseStyle);
    SetBoxedCell(*s.cellStyle, kColourBlack, kAlignCentre);

    s.cellLeftStyle = DuplicateOf(s.cellStyle);
    SetHorizontal(*s.cellLeftStyle, kAlignLeft);

    s.boldStyle = DuplicateOf(s.cellStyle);
    SetBold(*s.boldStyle);

    s.labelStyle = DuplicateOf(s.boldStyle);
    SetHorizontal(*s.labelStyle, kAlignLeft);
    SetBorders(*s.labelStyle, kBorderNone);

    s.labelRightStyle = DuplicateOf(s.boldStyle);
    SetHorizontal(*s.labelRightStyle, kAlignRight);
    SetBorders(*s.labelRightStyle, kBorderNone);

    s.headingStyle = DuplicateOf(s.boldStyle);
    SetWrap(*s.headingStyle);
    SetRotation(*s.headingStyle, 0);
    SetBorders(*s.headingStyle, kBorderThin);

    s.headingVerticalStyle = DuplicateOf(s.headingStyle);
    SetRotation(*s.headingVerticalStyle, -90);

    s.entryTextStyle = DuplicateOf(s.cellLeftStyle);
    SetStyleFlag(*s.entryTextStyle, 0);
    SetFillColour(*s.entryTextStyle, kColourEntryFill);

    s.entryNumberStyle = DuplicateOf(s.cellStyle);
    SetStyleFlag(*s.entryNumberStyle, 0);
    SetHorizontal(*s.entryNumberStyle, kAlignRight);
    SetFillColour(*s.entryNumberStyle, kColourEntryFill);

    s.tripStyle = DuplicateOf(s.baseStyle);
    SetBoxedCell(*s.tripStyle, kColourTripRed, kAlignLeft);

    s.tripBoldStyle = DuplicateOf(s.tripStyle);
    SetBold(*s.tripBoldStyle);

    s.faultHeadingStyle = DuplicateOf(s.tripBoldStyle);
    SetWrap(*s.faultHeadingStyle);
    SetBorders(*s.faultHeadingStyle, kBorderThin);

    s.tripFlagsStyle = DuplicateOf(s.baseStyle);
    SetBoxedCell(*s.tripFlagsStyle, kColourFlagsBlue, kAlignLeft);

    s.tripFlagsBoldStyle = DuplicateOf(s.tripFlagsStyle);
    SetBold(*s.tripFlagsBoldStyle);

    s.tripFlagsHeadingStyle = DuplicateOf(s.tripFlagsBoldStyle);
    SetWrap(*s.tripFlagsHeadingStyle);
    SetBorders(*s.tripFlagsHeadingStyle, kBorderThin);

    s.parameterStyle = DuplicateOf(s.baseStyle);
    SetBoxedCell(*s.parameterStyle, kColourParameterGreen, kAlignLeft);

    s.dateStyle = DuplicateOf(s.baseStyle);
    SetNumberFormat(*s.dateStyle, "mm/dd/yyyy");
    SetStyleFlag(*s.dateStyle, 0);
    SetFormattedCell(*s.dateStyle, kColourEntryFill, kAlignLeft);

    s.decimalStyle = DuplicateOf(s.baseStyle);
    SetNumberFormat(*s.decimalStyle, "#0.0;-#0.0;;");
    SetFormattedCell(*s.decimalStyle, kColourWhite, kAlignCentre);

    s.percentStyle = DuplicateOf(s.baseStyle);
    SetNumberFormat(*s.percentStyle, "0.0%;-0.0%;;");
    SetFormattedCell(*s.percentStyle, kColourWhite, kAlignCentre);

    return s;
}

} // namespace k4
