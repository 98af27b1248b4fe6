// Builds a small report-like workbook through the component as the report
// writer does, loading it at run time through its "Start" export:
//   sample_workbook_writer sample <out.xls> <picture.png> <max-amps>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/dynamic_library.h"
#include "platform/path_rules.h"
#include "platform/program_folder.h"
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

std::u16string Wide(const std::string& text)
{
    return std::u16string(text.begin(), text.end());
}

// What a style changes over its parent's settings; -1 (1000 for the
// rotation) keeps the parent's.
struct Look {
    int bold = -1, colour = -1, fill = -1, horizontal = -1, vertical = -1, wrap = -1, rotation = 1000, borders = -1;
    const char16_t* format = nullptr;
};

enum StyleId { kBase, kCell, kLeft, kHeading, kVertical, kDate, kDecimal, kPercent, kTrip, kFlags, kStyleCount };
const std::pair<StyleId, Look> kStyles[kStyleCount] = {
    {kBase, {}},
    {kBase, {.colour = 0, .fill = 0xFFFFFF, .horizontal = 2, .vertical = 2, .borders = 1}},
    {kCell, {.horizontal = 1}},
    {kCell, {.bold = 1, .wrap = 1, .rotation = 0}},
    {kHeading, {.rotation = -90}},
    {kCell, {.fill = 0xFFFF96, .horizontal = 1, .format = u"mm/dd/yyyy"}},
    {kCell, {.format = u"#0.0;-#0.0;;"}},
    {kCell, {.format = u"0.0%;-0.0%;;"}},
    {kCell, {.colour = 0xFF0000, .horizontal = 1}},
    {kTrip, {.bold = 1, .colour = 0x0000FF}},
};
using Styles = std::array<Held<IStyle>, kStyleCount>;

void MakeStyles(IWorksheet* sheet, Styles& styles)
{
    Check(sheet->NewStyle(styles[kBase].Out()), "NewStyle");
    for (int id = kBase + 1; id < kStyleCount; ++id) {
        const auto& [parent, look] = kStyles[id];
        IStyle* style = nullptr;
        Check(styles[parent]->Duplicate(&style), "Duplicate");
        *styles[id].Out() = style;
        Held<IFont> font;
        Check(style->GetFont(font.Out()), "GetFont");
        Check(look.bold < 0 ? S_OK : font->SetBold(look.bold), "SetBold");
        Check(look.colour < 0 ? S_OK : font->SetColour(look.colour), "Font SetColour");
        Held<IFill> fill;
        Check(style->GetFill(fill.Out()), "GetFill");
        Check(look.fill < 0 ? S_OK : fill->SetColour(look.fill), "Fill SetColour");
        Held<IAlignment> alignment;
        Check(style->GetAlignment(alignment.Out()), "GetAlignment");
        Check(look.horizontal < 0 ? S_OK : alignment->SetHorizontal(look.horizontal), "SetHorizontal");
        Check(look.vertical < 0 ? S_OK : alignment->SetVertical(look.vertical), "SetVertical");
        Check(look.wrap < 0 ? S_OK : alignment->SetWrap(look.wrap), "SetWrap");
        Check(look.rotation == 1000 ? S_OK : alignment->SetRotation(look.rotation), "SetRotation");
        Check(look.format ? style->SetNumberFormat(look.format) : S_OK, "SetNumberFormat");
        Held<IBorders> borders;
        Check(style->GetBorders(borders.Out()), "GetBorders");
        Held<IBorderSide> side;
        for (auto get : {&IBorders::GetLeft, &IBorders::GetRight, &IBorders::GetTop, &IBorders::GetBottom}) {
            Check((borders.Get()->*get)(side.Out()), "Get border side");
            Check(look.borders < 0 ? S_OK : side->SetLine(look.borders), "SetLine");
        }
    }
}

void Merge(IWorksheet* sheet, int row, int column, int columns, int rows, const char16_t* text,
           IRichText* rich = nullptr)
{
    Held<IMergedArea> area;
    Check(sheet->NewMergedArea(area.Out()), "NewMergedArea");
    Check(area->SetFirstRow(row), "SetFirstRow");
    Check(area->SetFirstColumn(column), "SetFirstColumn");
    Check(area->SetColumns(columns), "SetColumns");
    Check(area->SetRows(rows), "SetRows");
    Check(rich ? area->SetRichText(rich) : text[0] == u'=' ? area->SetFormula(text) : area->SetText(text), "Merge");
}

// Rows 1 to 12: picture, date, Max Amps, headings; frozen above row 13.
void Header(IWorksheet* sheet, Styles& s, const std::string& picture, int maxAmps)
{
    Check(sheet->SetSheetOption(75), "SetSheetOption");
    Held<ISheetSettings> settings;
    Check(sheet->GetSheetSettings(settings.Out()), "GetSheetSettings");
    Check(settings->SetFirst(13), "SetFirst");
    Check(settings->SetSecond(1), "SetSecond");
    Check(sheet->SetColumnWidths(1, 7, 7.0), "SetColumnWidths");
    Check(sheet->SetColumnWidth(8, 28.0), "SetColumnWidth");
    Check(sheet->SetColumnWidths(19, 25, 5.0), "SetColumnWidths");
    Check(sheet->SetRowHeight(11, 48.0), "SetRowHeight");
    Check(sheet->SetRowHeight(12, 78.0), "SetRowHeight");
    Held<IRange> range;
    Check(sheet->GetRange(u"R1C1:R12C25", range.Out()), "GetRange");
    Held<IStyle> rangeStyle;
    Check(range->GetStyle(rangeStyle.Out()), "Range GetStyle");
    Held<IFill> fill;
    Check(rangeStyle->GetFill(fill.Out()), "GetFill");
    Check(fill->SetColour(0xFFFFFF), "Fill SetColour");
    Check(range->ApplyStyle(), "ApplyStyle");

    Merge(sheet, 1, 1, 7, 4, u"");
    Check(sheet->InsertPicture(Wide(picture).c_str(), 1, 1, 4, 7, 0, 0, 0, 0), "InsertPicture");
    Check(s[kLeft]->Apply(), "Apply");
    Merge(sheet, 7, 1, 3, 1, u"Date:");
    Check(s[kDate]->Apply(), "Apply");
    Merge(sheet, 7, 5, 3, 1, u"=NOW()");
    Check(s[kCell]->Apply(), "Apply");
    Check(sheet->SetInteger(7, 9, maxAmps), "SetInteger");
    Check(s[kHeading]->Apply(), "Apply");
    Merge(sheet, 11, 1, 1, 2, u"Event");
    Merge(sheet, 11, 2, 3, 1, u"Accumulated\nRun Time");
    Held<IRichText> rich;
    Check(sheet->NewRichText(rich.Out()), "NewRichText");
    Check(rich->AppendRun(u"Trip Enable Flags\n", s[kFlags].Get()), "AppendRun");
    Check(rich->AppendRun(u" and\nRestart Attempt Enable Flags", s[kHeading].Get()), "AppendRun");
    Merge(sheet, 11, 19, 7, 1, nullptr, rich.Get());
    Check(s[kVertical]->Apply(), "Apply");
    Merge(sheet, 11, 16, 1, 2, u"% of Max Amps");
}

// An event row as the report writes it: blanks first, then the values over
// them, then the two formulas. The currents are left blank when null.
void EventRow(IWorksheet* sheet, Styles& s, int row, const double* currents, bool scaled, const char16_t* condition,
              bool overrange = false)
{
    Check(s[kCell]->Apply(), "Apply");
    for (int column = 1; column <= 25; ++column)
        Check(sheet->SetText(row, column, u""), "SetText");
    Check(sheet->SetInteger(row, 1, row - 13), "SetInteger");
    Check(s[kLeft]->Apply(), "Apply");
    Check(sheet->SetText(row, 8, condition), "SetText");
    Check(s[kTrip]->Apply(), "Apply");
    Check(sheet->SetText(row, 9, u"Overload"), "SetText");
    Check(s[scaled ? kDecimal : kCell]->Apply(), "Apply");
    for (int k = 0; currents && k < 3; ++k)
        Check(scaled ? sheet->SetNumber(row, 13 + k, currents[k])
                     : sheet->SetInteger(row, 13 + k, static_cast<int>(currents[k])),
              "Set current");
    if (overrange)
        Check(sheet->SetText(row, 13, u"Overrange"), "SetText");
    Check(s[kPercent]->Apply(), "Apply");
    const std::string r = std::to_string(row), area = "R" + r + "C13:R" + r + "C15";
    const std::string gate = "=IF(MAX(" + area + ")>0.1*R7C9;";
    Check(sheet->SetFormula(row, 16, Wide(gate + "MAX(" + area + ")/R7C9;0)").c_str()), "SetFormula");
    std::string unbalance = gate + "MAX(";
    for (int k = 13; k <= 15; ++k)
        unbalance += "ABS((AVERAGE(" + area + ")-R" + r + "C" + std::to_string(k) + ")/AVERAGE(" + area + "))" +
                     (k < 15 ? ";" : ");0)");
    Check(sheet->SetFormula(row, 17, Wide(unbalance).c_str()), "SetFormula");
}

void Sample(IEngine* engine, const std::string& out, const std::string& picture, int maxAmps)
{
    Held<IWorkbook> book;
    Check(engine->NewWorkbook(Wide(out).c_str(), book.Out()), "NewWorkbook");
    Held<IWorksheet> sheet;
    Check(book->AddWorksheet(u"TQ K4", sheet.Out()), "AddWorksheet");
    Styles styles;
    MakeStyles(sheet.Get(), styles);
    Header(sheet.Get(), styles, picture, maxAmps);

    const double even[3] = {10, 10, 10}, uneven[3] = {9, 10, 11}, low[3] = {1, 1, 1}, decimals[3] = {12.5, 0, 3.25};
    EventRow(sheet.Get(), styles, 13, even, false, u"Tripped");
    EventRow(sheet.Get(), styles, 14, uneven, false, u"Tripped");
    EventRow(sheet.Get(), styles, 15, low, false, u"Switch On");
    EventRow(sheet.Get(), styles, 16, nullptr, false, u"Overrange row", true);
    EventRow(sheet.Get(), styles, 17, decimals, true, u"Decimal currents");
    EventRow(sheet.Get(), styles, 18, nullptr, false, u"Defaults Restored");
    Check(styles[kCell]->Apply(), "Apply");
    Check(sheet->SetInteger(30, 1, 0), "SetInteger");
    Check(sheet->SetFormula(30, 2, u"=R13C13/R30C1"), "SetFormula");
    // Numbers at the edges of the compact number form.
    Check(sheet->SetInteger(30, 3, 2000000000), "SetInteger");
    Check(sheet->SetInteger(30, 4, -123456), "SetInteger");
    Check(sheet->SetNumber(30, 5, 1.0 / 3), "SetNumber");
    // Texts long enough that the shared string table goes on in CONTINUE records.
    std::u16string digits, letters;
    for (int i = 0; i < 9000; ++i) {
        digits += static_cast<char16_t>(u'0' + i % 10);
        letters += static_cast<char16_t>(u'\u0410' + i % 32);
    }
    Check(sheet->SetText(31, 1, digits.c_str()), "SetText");
    Check(sheet->SetText(31, 2, letters.c_str()), "SetText");
    Check(book->Close(), "Close");
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 5 || std::string(argv[1]) != "sample") {
        std::fprintf(stderr, "usage: %s sample <out.xls> <picture.png> <max-amps>\n", argv[0]);
        return 2;
    }
    // The component beside this program, by its full path as the programs load it.
    const std::string folder = k4::ProgramFolder();
    k4::DynamicLibrary library;
    if (!library.Load(folder + k4::PathSeparator() + k4::SharedLibraryFileName("k4xls"))) {
        std::fprintf(stderr, "cannot load the component from %s\n", folder.c_str());
        return 1;
    }
    const auto start = reinterpret_cast<K4XlsStartFn>(library.Symbol("Start"));
    IEngine* engine = start ? start() : nullptr;
    if (!engine)
        return 1;
    engine->AddRef();
    Sample(engine, argv[2], argv[3], std::atoi(argv[4]));
    return engine->Release() == 0 ? 0 : 1;
}
