// Builds workbooks through the component as the report writer does, loading
// it at run time through its "Start" export:
//   sample_workbook_writer sample <out.xls> <picture.png> <max-amps>
//       a small report-like sheet with every kind of content;
//   sample_workbook_writer report <out.xls> <rows> [<picture.png>]
//       a full-size event table, printing how long Start to Close took.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/dynamic_library.h"
#include "report/xls/k4xls.h"
#include "tests/xls/com_holder.h"

using namespace k4xls;

namespace {

void Check(Status status, const char* what)
{
    if (Failed(status)) {
        std::fprintf(stderr, "%s failed: 0x%08X\n", what, static_cast<unsigned>(status));
        std::exit(1);
    }
}

std::u16string Wide(const std::string& text) { return std::u16string(text.begin(), text.end()); }

struct StyleSet {
    Held<IStyle> base, cell, cellLeft, bold, label, heading, headingVertical, entry, date, decimal, percent, trip,
        flagsHeading;
};

void SetBorders(IStyle* style, int line)
{
    Held<IBorders> borders;
    Check(style->GetBorders(borders.Out()), "GetBorders");
    Held<IBorderSide> side;
    Check(borders->GetLeft(side.Out()), "GetLeft");
    Check(side->SetLine(line), "SetLine");
    Check(borders->GetRight(side.Out()), "GetRight");
    Check(side->SetLine(line), "SetLine");
    Check(borders->GetTop(side.Out()), "GetTop");
    Check(side->SetLine(line), "SetLine");
    Check(borders->GetBottom(side.Out()), "GetBottom");
    Check(side->SetLine(line), "SetLine");
}

void SetFont(IStyle* style, int bold, int colour)
{
    Held<IFont> font;
    Check(style->GetFont(font.Out()), "GetFont");
    if (bold >= 0)
        Check(font->SetBold(bold), "SetBold");
    if (colour >= 0)
        Check(font->SetColour(colour), "SetColour");
}

void SetFill(IStyle* style, int rgb)
{
    Held<IFill> fill;
    Check(style->GetFill(fill.Out()), "GetFill");
    Check(fill->SetColour(rgb), "Fill SetColour");
}

void SetAlignment(IStyle* style, int horizontal, int vertical, int wrap, int rotation)
{
    Held<IAlignment> alignment;
    Check(style->GetAlignment(alignment.Out()), "GetAlignment");
    if (horizontal >= 0)
        Check(alignment->SetHorizontal(horizontal), "SetHorizontal");
    if (vertical >= 0)
        Check(alignment->SetVertical(vertical), "SetVertical");
    if (wrap >= 0)
        Check(alignment->SetWrap(wrap), "SetWrap");
    if (rotation != 1000)
        Check(alignment->SetRotation(rotation), "SetRotation");
}

void Derive(IStyle* from, Held<IStyle>& to) { Check(from->Duplicate(to.Out()), "Duplicate"); }

void MakeStyles(IWorksheet* sheet, StyleSet& s)
{
    Check(sheet->NewStyle(s.base.Out()), "NewStyle");
    Derive(s.base.Get(), s.cell);
    SetFont(s.cell.Get(), -1, 0);
    SetFill(s.cell.Get(), 0xFFFFFF);
    SetAlignment(s.cell.Get(), 2, 2, -1, 1000);
    SetBorders(s.cell.Get(), 1);
    Derive(s.cell.Get(), s.cellLeft);
    SetAlignment(s.cellLeft.Get(), 1, -1, -1, 1000);
    Derive(s.cell.Get(), s.bold);
    SetFont(s.bold.Get(), 1, -1);
    Derive(s.bold.Get(), s.label);
    SetAlignment(s.label.Get(), 1, -1, -1, 1000);
    SetBorders(s.label.Get(), 0);
    Derive(s.bold.Get(), s.heading);
    SetAlignment(s.heading.Get(), -1, -1, 1, 0);
    Derive(s.heading.Get(), s.headingVertical);
    SetAlignment(s.headingVertical.Get(), -1, -1, -1, -90);
    Derive(s.cell.Get(), s.entry);
    Check(s.entry->SetStyleFlag(0), "SetStyleFlag");
    SetAlignment(s.entry.Get(), 3, -1, -1, 1000);
    SetFill(s.entry.Get(), 0xFFFF96);
    Derive(s.base.Get(), s.date);
    Check(s.date->SetNumberFormat(u"mm/dd/yyyy"), "SetNumberFormat");
    SetFill(s.date.Get(), 0xFFFF96);
    SetAlignment(s.date.Get(), 1, 2, -1, 1000);
    SetBorders(s.date.Get(), 1);
    Derive(s.base.Get(), s.decimal);
    Check(s.decimal->SetNumberFormat(u"#0.0;-#0.0;;"), "SetNumberFormat");
    SetFill(s.decimal.Get(), 0xFFFFFF);
    SetAlignment(s.decimal.Get(), 2, 2, -1, 1000);
    SetBorders(s.decimal.Get(), 1);
    Derive(s.base.Get(), s.percent);
    Check(s.percent->SetNumberFormat(u"0.0%;-0.0%;;"), "SetNumberFormat");
    SetFill(s.percent.Get(), 0xFFFFFF);
    SetAlignment(s.percent.Get(), 2, 2, -1, 1000);
    SetBorders(s.percent.Get(), 1);
    Derive(s.base.Get(), s.trip);
    SetFont(s.trip.Get(), -1, 0xFF0000);
    SetFill(s.trip.Get(), 0xFFFFFF);
    SetAlignment(s.trip.Get(), 1, 2, -1, 1000);
    SetBorders(s.trip.Get(), 1);
    Derive(s.trip.Get(), s.flagsHeading);
    SetFont(s.flagsHeading.Get(), 1, 0x0000FF);
}

void Merge(IWorksheet* sheet, int row, int column, int columns, int rows, const char16_t* text,
           const char16_t* formula = nullptr)
{
    Held<IMergedArea> area;
    Check(sheet->NewMergedArea(area.Out()), "NewMergedArea");
    Check(area->SetFirstRow(row), "SetFirstRow");
    Check(area->SetFirstColumn(column), "SetFirstColumn");
    Check(area->SetColumns(columns), "SetColumns");
    Check(area->SetRows(rows), "SetRows");
    if (formula)
        Check(area->SetFormula(formula), "Merged SetFormula");
    else
        Check(area->SetText(text), "Merged SetText");
}

void SheetSetup(IWorksheet* sheet)
{
    Check(sheet->SetSheetOption(75), "SetSheetOption");
    Held<ISheetSwitches> switches;
    Check(sheet->GetSheetSwitches(switches.Out()), "GetSheetSwitches");
    Check(switches->SetFirst(1), "SetFirst");
    Check(switches->SetSecond(1), "SetSecond");
    Check(switches->SetThird(1), "SetThird");
    Check(sheet->SetColumnWidths(1, 7, 7.0), "SetColumnWidths");
    Check(sheet->SetColumnWidth(8, 28.0), "SetColumnWidth");
    Check(sheet->SetColumnWidths(9, 17, 9.0), "SetColumnWidths");
    Check(sheet->SetColumnWidth(18, 13.0), "SetColumnWidth");
    Check(sheet->SetColumnWidths(19, 25, 5.0), "SetColumnWidths");
    Held<IRange> range;
    Check(sheet->GetRange(u"R1C1:R12C25", range.Out()), "GetRange");
    Held<IStyle> rangeStyle;
    Check(range->GetStyle(rangeStyle.Out()), "Range GetStyle");
    SetFill(rangeStyle.Get(), 0xFFFFFF);
    Check(range->ApplyStyle(), "ApplyStyle");
}

void Header(IWorksheet* sheet, StyleSet& s, const std::string& picture, int maxAmps)
{
    Merge(sheet, 1, 1, 7, 4, u"");
    if (!picture.empty())
        Check(sheet->InsertPicture(Wide(picture).c_str(), 1, 1, 4, 7, 0, 0, 0, 0), "InsertPicture");
    Check(s.label->Apply(), "Apply");
    Merge(sheet, 7, 1, 3, 1, u"Date:");
    Check(s.date->Apply(), "Apply");
    Merge(sheet, 7, 5, 3, 1, nullptr, u"=NOW()");
    Check(s.entry->Apply(), "Apply");
    Check(sheet->SetInteger(7, 9, maxAmps), "SetInteger");
    Check(s.heading->Apply(), "Apply");
    Check(sheet->SetRowHeight(11, 48.0), "SetRowHeight");
    Merge(sheet, 11, 1, 1, 2, u"Event");
    Merge(sheet, 11, 2, 3, 1, u"Accumulated\nRun Time");
    Merge(sheet, 11, 13, 3, 1, u"Motor Amps");
    Check(s.headingVertical->Apply(), "Apply");
    Merge(sheet, 11, 16, 1, 2, u"% of Max Amps");
    Held<IRichText> rich;
    Check(sheet->NewRichText(rich.Out()), "NewRichText");
    Check(rich->AppendRun(u"Trip Enable Flags\n", s.flagsHeading.Get()), "AppendRun");
    Check(rich->AppendRun(u" and\nRestart Attempt Enable Flags", s.heading.Get()), "AppendRun");
    Check(s.heading->Apply(), "Apply");
    Held<IMergedArea> flags;
    Check(sheet->NewMergedArea(flags.Out()), "NewMergedArea");
    Check(flags->SetFirstRow(11), "SetFirstRow");
    Check(flags->SetFirstColumn(19), "SetFirstColumn");
    Check(flags->SetColumns(7), "SetColumns");
    Check(flags->SetRichText(rich.Get()), "SetRichText");
    Check(sheet->SetRowHeight(12, 78.0), "SetRowHeight");
    Check(s.headingVertical->Apply(), "Apply");
    Check(sheet->SetText(12, 2, u"Day"), "SetText");
    Check(s.heading->Apply(), "Apply");
    Check(sheet->SetText(12, 13, u"L1"), "SetText");
    Check(s.cell->Apply(), "Apply");
    Held<ISheetSettings> settings;
    Check(sheet->GetSheetSettings(settings.Out()), "GetSheetSettings");
    Check(settings->SetFirst(13), "SetFirst");
    Check(settings->SetSecond(1), "SetSecond");
}

void RowFormulas(IWorksheet* sheet, StyleSet& s, int row)
{
    char16_t text[300];
    char narrow[300];
    Check(s.percent->Apply(), "Apply");
    std::snprintf(narrow, sizeof narrow, "=IF(MAX(R%dC13:R%dC15)>0.1*R7C9;MAX(R%dC13:R%dC15)/R7C9;0)", row, row, row,
                  row);
    std::u16string w = Wide(narrow);
    std::copy(w.c_str(), w.c_str() + w.size() + 1, text);
    Check(sheet->SetFormula(row, 16, text), "SetFormula");
    std::string f = "=IF(MAX(R" + std::to_string(row) + "C13:R" + std::to_string(row) + "C15)>0.1*R7C9;MAX(";
    for (int k = 13; k <= 15; ++k) {
        const std::string r = std::to_string(row);
        f += "ABS((AVERAGE(R" + r + "C13:R" + r + "C15)-R" + r + "C" + std::to_string(k) + ")/AVERAGE(R" + r +
             "C13:R" + r + "C15))";
        f += k < 15 ? ";" : "";
    }
    f += ");0)";
    Check(sheet->SetFormula(row, 17, Wide(f).c_str()), "SetFormula");
}

void EventRow(IWorksheet* sheet, StyleSet& s, int row, int index, const double currents[3], bool scaled,
              const char16_t* condition, bool overrange)
{
    Check(s.cell->Apply(), "Apply");
    for (int column = 1; column <= 25; ++column)
        Check(sheet->SetText(row, column, u""), "SetText");
    Check(sheet->SetInteger(row, 1, index), "SetInteger");
    Check(sheet->SetText(row, 2, u"3d"), "SetText");
    Check(sheet->SetText(row, 4, u"12.5m"), "SetText");
    Check(s.cellLeft->Apply(), "Apply");
    Check(sheet->SetText(row, 8, condition), "SetText");
    Check(s.trip->Apply(), "Apply");
    Check(sheet->SetText(row, 9, u"Overload"), "SetText");
    Check(s.cell->Apply(), "Apply");
    Check(sheet->SetInteger(row, 10, 230), "SetInteger");
    if (overrange) {
        Check(sheet->SetText(row, 13, u"Overrange"), "SetText");
    } else if (currents) {
        if (scaled)
            Check(s.decimal->Apply(), "Apply");
        for (int k = 0; k < 3; ++k)
            Check(scaled ? sheet->SetNumber(row, 13 + k, currents[k]) : sheet->SetInteger(row, 13 + k, static_cast<int>(currents[k])),
                  "Set current");
    }
    Check(s.cell->Apply(), "Apply");
    for (int column = 19; column <= 25; ++column)
        Check(sheet->SetText(row, column, column % 2 ? u"On" : u"Off"), "SetText");
    RowFormulas(sheet, s, row);
}

int Sample(IEngine* engine, const std::string& out, const std::string& picture, int maxAmps)
{
    Held<IWorkbook> book;
    Check(engine->NewWorkbook(Wide(out).c_str(), book.Out()), "NewWorkbook");
    Held<IWorksheet> sheet;
    Check(book->AddWorksheet(u"TQ K4", sheet.Out()), "AddWorksheet");
    StyleSet styles;
    MakeStyles(sheet.Get(), styles);
    SheetSetup(sheet.Get());
    Header(sheet.Get(), styles, picture, maxAmps);

    const double even[3] = {10, 10, 10}, uneven[3] = {9, 10, 11}, low[3] = {1, 1, 1}, decimals[3] = {12.5, 0, 3.25};
    EventRow(sheet.Get(), styles, 13, 0, even, false, u"Tripped", false);
    EventRow(sheet.Get(), styles, 14, 1, uneven, false, u"Tripped", false);
    EventRow(sheet.Get(), styles, 15, 2, low, false, u"Switch On", false);
    EventRow(sheet.Get(), styles, 16, 3, nullptr, false, u"Overrange row", true);
    EventRow(sheet.Get(), styles, 17, 4, decimals, true, u"Decimal currents", false);
    EventRow(sheet.Get(), styles, 18, 5, nullptr, false, u"Defaults Restored", false);
    Check(styles.cell->Apply(), "Apply");
    Check(sheet->SetInteger(30, 1, 0), "SetInteger");
    Check(sheet->SetFormula(30, 2, u"=R13C13/R30C1"), "SetFormula");
    Check(book->Close(), "Close");
    return 0;
}

int Report(IEngine* engine, const std::string& out, int rows, const std::string& picture)
{
    const auto started = std::chrono::steady_clock::now();
    {
        Held<IWorkbook> book;
        Check(engine->NewWorkbook(Wide(out).c_str(), book.Out()), "NewWorkbook");
        Held<IWorksheet> sheet;
        Check(book->AddWorksheet(u"TQ K4", sheet.Out()), "AddWorksheet");
        StyleSet styles;
        MakeStyles(sheet.Get(), styles);
        SheetSetup(sheet.Get());
        Header(sheet.Get(), styles, picture, 0);
        for (int i = 0; i < rows; ++i) {
            const double currents[3] = {10.0 + i % 7, 11.0 + i % 5, 9.0 + i % 3};
            EventRow(sheet.Get(), styles, 13 + i, i, currents, i % 2 == 0, u"Tripped", false);
        }
        Check(book->Close(), "Close");
    }
    const auto took = std::chrono::steady_clock::now() - started;
    std::printf("%lld\n", static_cast<long long>(std::chrono::duration_cast<std::chrono::microseconds>(took).count()));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s sample <out.xls> <picture.png> [max-amps] | report <out.xls> <rows> [picture]\n",
                     argv[0]);
        return 2;
    }
    const std::string mode = argv[1];
    std::string folder = argv[0];
    folder = folder.substr(0, folder.find_last_of('/') + 1);
    if (folder.empty())
        folder = "./";
    k4::DynamicLibrary library;
    if (!library.Load(folder + k4::SharedLibraryFileName("k4xls"))) {
        std::fprintf(stderr, "cannot load the component from %s\n", folder.c_str());
        return 1;
    }
    const auto start = reinterpret_cast<K4XlsStartFn>(library.Symbol("Start"));
    if (!start)
        return 1;
    IEngine* engine = start();
    if (!engine)
        return 1;
    engine->AddRef();
    int result = 2;
    if (mode == "sample")
        result = Sample(engine, argv[2], argv[3], argc > 4 ? std::atoi(argv[4]) : 20);
    else if (mode == "report")
        result = Report(engine, argv[2], std::atoi(argv[3]), argc > 4 ? argv[4] : "");
    engine->Release();
    return result;
}
