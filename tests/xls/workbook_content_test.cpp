#include <cmath>

#include "report/xls/serial_date.h"
#include "tests/xls/component_fixture.h"

using namespace k4xls;
using xlstest::U16;
using xlstest::U32;

namespace {

constexpr std::uint16_t kBlank = 0x0201;
constexpr std::uint16_t kLabelSst = 0x00FD;
constexpr std::uint16_t kRk = 0x027E;
constexpr std::uint16_t kNumber = 0x0203;
constexpr std::uint16_t kFormula = 0x0006;

void SetFill(IStyle* style, int rgb)
{
    Held<IFill> fill;
    ASSERT_EQ(style->GetFill(fill.Out()), S_OK);
    ASSERT_EQ(fill->SetColour(rgb), S_OK);
}

void SetBorders(IStyle* style, int line)
{
    Held<IBorders> borders;
    ASSERT_EQ(style->GetBorders(borders.Out()), S_OK);
    Held<IBorderSide> side;
    for (auto get : {&IBorders::GetLeft, &IBorders::GetRight, &IBorders::GetTop, &IBorders::GetBottom}) {
        ASSERT_EQ((borders.Get()->*get)(side.Out()), S_OK);
        ASSERT_EQ(side->SetLine(line), S_OK);
    }
}

void SetFont(IStyle* style, int bold, int rgb)
{
    Held<IFont> font;
    ASSERT_EQ(style->GetFont(font.Out()), S_OK);
    ASSERT_EQ(font->SetBold(bold), S_OK);
    ASSERT_EQ(font->SetColour(rgb), S_OK);
}

std::uint16_t XfOf(const xlstest::Workbook& book, int row, int column)
{
    const xlstest::CellRecord* cell = book.Cell(row, column);
    EXPECT_NE(cell, nullptr) << row << "," << column;
    return cell ? cell->xf : 0xFFFF;
}

// The RGB colour behind a colour index of the file.
std::uint32_t Colour(const xlstest::Workbook& book, std::uint32_t index)
{
    EXPECT_GE(index, 8u);
    EXPECT_LT(index, 64u);
    return book.palette.at(index - 8);
}

std::uint32_t FillColourIndex(const xlstest::Bytes& xf) { return U16(xf, 18) & 0x7F; }
std::uint32_t FillPattern(const xlstest::Bytes& xf) { return U32(xf, 14) >> 26; }

// FONT records by index (4 is never used).
std::vector<xlstest::Bytes> Fonts(const xlstest::Workbook& book)
{
    std::vector<xlstest::Bytes> fonts;
    for (const auto* r : book.GlobalRecords(0x0031)) {
        if (fonts.size() == 4)
            fonts.emplace_back();
        fonts.push_back(r->data);
    }
    return fonts;
}

} // namespace

using WorkbookContent = ComponentTest;

TEST_F(WorkbookContent, LaterWritesReplaceEarlierOnesAndEmptyTextIsABlank)
{
    IStyle* cell = NewStyle();
    SetFill(cell, 0xFFFFFF);
    ASSERT_EQ(cell->Apply(), S_OK);
    for (int column = 1; column <= 25; ++column)
        ASSERT_EQ(m_sheet->SetText(13, column, u""), S_OK);
    ASSERT_EQ(m_sheet->SetInteger(13, 1, 7), S_OK);
    ASSERT_EQ(m_sheet->SetText(13, 8, u"old"), S_OK);
    ASSERT_EQ(m_sheet->SetText(13, 8, u"Tripped"), S_OK);
    ASSERT_EQ(m_sheet->SetText(13, 9, u"gone"), S_OK);
    ASSERT_EQ(m_sheet->SetText(13, 9, u""), S_OK);
    ASSERT_EQ(m_sheet->SetFormula(13, 16, u"=1+1"), S_OK);

    const xlstest::Workbook book = CloseAndRead();
    const std::uint16_t xf = XfOf(book, 12, 0);
    ASSERT_EQ(book.Cell(12, 0)->type, kRk);
    EXPECT_EQ(book.Cell(12, 0)->number, 7);
    EXPECT_EQ(book.Text(12, 7), u"Tripped");
    EXPECT_EQ(book.Cell(12, 15)->type, kFormula);
    for (const int column : {1, 2, 8, 12, 24}) {
        ASSERT_NE(book.Cell(12, column), nullptr) << column;
        EXPECT_EQ(book.Cell(12, column)->type, kBlank) << column;
        EXPECT_EQ(book.Cell(12, column)->xf, xf) << column;
    }
    ASSERT_EQ(book.strings.size(), 1u); // only what the cells still show
    EXPECT_EQ(U32(book.GlobalRecords(0x00FC).at(0)->data, 0), 1u);
}

TEST_F(WorkbookContent, RangeStyleStaysWhereNothingElseIsApplied)
{
    Held<IRange> range;
    ASSERT_EQ(m_sheet->GetRange(u"R1C1:R3C3", range.Out()), S_OK);
    Held<IStyle> rangeStyle;
    ASSERT_EQ(range->GetStyle(rangeStyle.Out()), S_OK);
    SetFill(rangeStyle.Get(), 0xFFFFFF);
    ASSERT_EQ(range->ApplyStyle(), S_OK);

    ASSERT_EQ(m_sheet->SetText(1, 1, u"no style applied yet"), S_OK);
    IStyle* yellow = NewStyle();
    SetFill(yellow, 0xFFFF96);
    ASSERT_EQ(yellow->Apply(), S_OK);
    ASSERT_EQ(m_sheet->SetText(2, 2, u"styled"), S_OK);

    const xlstest::Workbook book = CloseAndRead();
    const std::uint16_t white = XfOf(book, 2, 2);
    EXPECT_EQ(book.Cell(2, 2)->type, kBlank);
    EXPECT_EQ(FillPattern(book.xfs.at(white)), 1u);
    EXPECT_EQ(Colour(book, FillColourIndex(book.xfs.at(white))), 0xFFFFFFu);
    EXPECT_EQ(XfOf(book, 0, 0), white);
    const std::uint16_t styled = XfOf(book, 1, 1);
    EXPECT_EQ(Colour(book, FillColourIndex(book.xfs.at(styled))), 0xFFFF96u);
    EXPECT_EQ(book.Cell(3, 0), nullptr); // outside the range
}

TEST_F(WorkbookContent, MergedAreasCarryTheirStyleOnEveryCell)
{
    IStyle* heading = NewStyle();
    SetBorders(heading, 1);
    ASSERT_EQ(heading->Apply(), S_OK);
    Held<IMergedArea> area;
    ASSERT_EQ(m_sheet->NewMergedArea(area.Out()), S_OK);
    ASSERT_EQ(area->SetFirstRow(11), S_OK);
    ASSERT_EQ(area->SetFirstColumn(2), S_OK);
    ASSERT_EQ(area->SetColumns(3), S_OK);
    ASSERT_EQ(area->SetRows(2), S_OK);
    ASSERT_EQ(area->SetText(u"Accumulated\nRun Time"), S_OK);

    Held<IMergedArea> single;
    ASSERT_EQ(m_sheet->NewMergedArea(single.Out()), S_OK);
    ASSERT_EQ(single->SetFirstRow(20), S_OK);
    ASSERT_EQ(single->SetFormula(u"=2*3"), S_OK);

    const xlstest::Workbook book = CloseAndRead();
    EXPECT_EQ(book.Text(10, 1), u"Accumulated\nRun Time");
    const std::uint16_t xf = XfOf(book, 10, 1);
    EXPECT_EQ(U16(book.xfs.at(xf), 10), 0x1111); // thin on all four sides
    for (int row = 10; row <= 11; ++row)
        for (int column = 1; column <= 3; ++column) {
            if (row == 10 && column == 1)
                continue;
            ASSERT_NE(book.Cell(row, column), nullptr);
            EXPECT_EQ(book.Cell(row, column)->type, kBlank);
            EXPECT_EQ(book.Cell(row, column)->xf, xf);
        }
    EXPECT_EQ(book.Cell(19, 0)->type, kFormula);
    const auto merged = book.SheetRecords(0x00E5);
    ASSERT_EQ(merged.size(), 1u);
    const xlstest::Bytes& m = merged[0]->data;
    ASSERT_EQ(U16(m, 0), 1); // the single cell is not merged
    EXPECT_EQ(U16(m, 2), 10);
    EXPECT_EQ(U16(m, 4), 11);
    EXPECT_EQ(U16(m, 6), 1);
    EXPECT_EQ(U16(m, 8), 3);
}

TEST_F(WorkbookContent, RichTextRunsTakeTheFontsOfTheirStyles)
{
    IStyle* blueBold = NewStyle();
    SetFont(blueBold, 1, 0x0000FF);
    IStyle* plainBold = NewStyle();
    Held<IFont> font;
    ASSERT_EQ(plainBold->GetFont(font.Out()), S_OK);
    ASSERT_EQ(font->SetBold(1), S_OK);

    Held<IRichText> rich;
    ASSERT_EQ(m_sheet->NewRichText(rich.Out()), S_OK);
    ASSERT_EQ(rich->AppendRun(u"Trip Enable Flags\n", blueBold), S_OK);
    ASSERT_EQ(rich->AppendRun(u"", plainBold), S_OK);
    ASSERT_EQ(rich->AppendRun(u" and\nRestart Attempt Enable Flags", plainBold), S_OK);
    Held<IMergedArea> area;
    ASSERT_EQ(m_sheet->NewMergedArea(area.Out()), S_OK);
    ASSERT_EQ(area->SetFirstRow(11), S_OK);
    ASSERT_EQ(area->SetFirstColumn(19), S_OK);
    ASSERT_EQ(area->SetColumns(7), S_OK);
    ASSERT_EQ(area->SetRichText(rich.Get()), S_OK);

    const xlstest::Workbook book = CloseAndRead();
    const xlstest::CellRecord* cell = book.Cell(10, 18);
    ASSERT_NE(cell, nullptr);
    const xlstest::SstString& s = book.strings.at(cell->sstIndex);
    EXPECT_EQ(s.text, u"Trip Enable Flags\n and\nRestart Attempt Enable Flags");
    ASSERT_EQ(s.runs.size(), 2u);
    EXPECT_EQ(s.runs[0].first, 0);
    EXPECT_EQ(s.runs[1].first, 18);
    const auto fonts = Fonts(book);
    const xlstest::Bytes& first = fonts.at(s.runs[0].second);
    EXPECT_EQ(U16(first, 6), 700);
    EXPECT_EQ(Colour(book, U16(first, 4)), 0x0000FFu);
    const xlstest::Bytes& second = fonts.at(s.runs[1].second);
    EXPECT_EQ(U16(second, 6), 700);
    EXPECT_EQ(U16(second, 4), 0x7FFF); // automatic colour
    EXPECT_NE(s.runs[0].second, 4);
    EXPECT_NE(s.runs[1].second, 4);
}

TEST_F(WorkbookContent, DuplicatesCarryEverySettingAndIdenticalStylesShareAnXf)
{
    IStyle* a = NewStyle();
    SetFont(a, 1, 0xFF0000);
    SetFill(a, 0xFFFF96);
    SetBorders(a, 1);
    Held<IAlignment> alignment;
    ASSERT_EQ(a->GetAlignment(alignment.Out()), S_OK);
    ASSERT_EQ(alignment->SetHorizontal(3), S_OK);
    ASSERT_EQ(alignment->SetVertical(2), S_OK);
    ASSERT_EQ(alignment->SetWrap(1), S_OK);
    ASSERT_EQ(alignment->SetRotation(-90), S_OK);
    ASSERT_EQ(a->SetNumberFormat(u"0.0%;-0.0%;;"), S_OK);
    ASSERT_EQ(a->SetStyleFlag(0), S_OK);

    Held<IStyle> b;
    ASSERT_EQ(a->Duplicate(b.Out()), S_OK);
    Held<IStyle> c;
    ASSERT_EQ(b->Duplicate(c.Out()), S_OK);
    Held<IFont> font;
    ASSERT_EQ(c->GetFont(font.Out()), S_OK);
    ASSERT_EQ(font->SetBold(0), S_OK);

    ASSERT_EQ(a->Apply(), S_OK);
    ASSERT_EQ(m_sheet->SetNumber(1, 1, 0.5), S_OK);
    ASSERT_EQ(b->Apply(), S_OK);
    ASSERT_EQ(m_sheet->SetNumber(1, 2, 0.5), S_OK);
    ASSERT_EQ(c->Apply(), S_OK);
    ASSERT_EQ(m_sheet->SetNumber(1, 3, 0.5), S_OK);

    const xlstest::Workbook book = CloseAndRead();
    const std::uint16_t xfA = XfOf(book, 0, 0);
    EXPECT_EQ(XfOf(book, 0, 1), xfA);
    EXPECT_NE(XfOf(book, 0, 2), xfA);

    const xlstest::Bytes& xf = book.xfs.at(xfA);
    EXPECT_EQ(xf[6], 0x3 | 0x08 | (1 << 4)); // right, wrapped, vertically centred
    EXPECT_EQ(xf[7], 180);                   // -90: reads top to bottom
    EXPECT_EQ(U16(xf, 10), 0x1111);
    EXPECT_EQ(FillPattern(xf), 1u);
    EXPECT_EQ(Colour(book, FillColourIndex(xf)), 0xFFFF96u);
    const auto fonts = Fonts(book);
    const xlstest::Bytes& font0 = fonts.at(U16(xf, 0));
    EXPECT_EQ(U16(font0, 6), 700);
    EXPECT_EQ(Colour(book, U16(font0, 4)), 0xFF0000u);
    const std::uint16_t format = U16(xf, 2);
    bool found = false;
    for (const auto* r : book.GlobalRecords(0x041E))
        if (U16(r->data, 0) == format) {
            found = true;
            EXPECT_EQ(std::string(r->data.begin() + 5, r->data.end()), "0.0%;-0.0%;;");
        }
    EXPECT_TRUE(found);
    EXPECT_EQ(book.palette.size(), 56u);
}

TEST_F(WorkbookContent, ChangesToAnAppliedStyleReachOnlyLaterWrites)
{
    IStyle* style = NewStyle();
    SetFill(style, 0xFFFFFF);
    ASSERT_EQ(style->Apply(), S_OK);
    ASSERT_EQ(m_sheet->SetText(1, 1, u"white"), S_OK);
    SetFill(style, 0x009900);
    ASSERT_EQ(m_sheet->SetText(1, 2, u"green"), S_OK);

    const xlstest::Workbook book = CloseAndRead();
    EXPECT_EQ(Colour(book, FillColourIndex(book.xfs.at(XfOf(book, 0, 0)))), 0xFFFFFFu);
    EXPECT_EQ(Colour(book, FillColourIndex(book.xfs.at(XfOf(book, 0, 1)))), 0x009900u);
}

TEST_F(WorkbookContent, OpenSettingsZoomPrintingAndFrozenRows)
{
    ASSERT_EQ(m_sheet->SetSheetOption(75), S_OK);
    Held<ISheetSwitches> switches;
    for (auto set : {&ISheetSwitches::SetFirst, &ISheetSwitches::SetSecond, &ISheetSwitches::SetThird}) {
        ASSERT_EQ(m_sheet->GetSheetSwitches(switches.Out()), S_OK);
        ASSERT_EQ((switches.Get()->*set)(1), S_OK);
    }
    Held<ISheetSettings> settings;
    ASSERT_EQ(m_sheet->GetSheetSettings(settings.Out()), S_OK);
    ASSERT_EQ(settings->SetFirst(13), S_OK);
    ASSERT_EQ(m_sheet->GetSheetSettings(settings.Out()), S_OK);
    ASSERT_EQ(settings->SetSecond(1), S_OK);

    Held<IWorksheet> plain;
    ASSERT_EQ(m_book->AddWorksheet(u"Plain", plain.Out()), S_OK);

    const xlstest::Workbook book = CloseAndRead();
    const auto window = book.SheetRecords(0x023E).at(0)->data;
    EXPECT_EQ(U16(window, 0) & 0x0108, 0x0108); // frozen, without a split
    EXPECT_EQ(U16(window, 12), 75);
    const auto scl = book.SheetRecords(0x00A0).at(0)->data;
    EXPECT_EQ(U16(scl, 0), 3);
    EXPECT_EQ(U16(scl, 2), 4);
    const auto pane = book.SheetRecords(0x0041).at(0)->data;
    EXPECT_EQ(U16(pane, 0), 0);  // no frozen columns
    EXPECT_EQ(U16(pane, 2), 12); // rows 1 to 12 stay
    EXPECT_EQ(U16(pane, 4), 12);
    EXPECT_EQ(pane[8], 2);       // the bottom pane is active
    const auto setup = book.SheetRecords(0x00A1).at(0)->data;
    EXPECT_EQ(U16(setup, 6), 1); // one page wide...
    EXPECT_EQ(U16(setup, 8), 0); // ...as many high as needed
    EXPECT_EQ(U16(setup, 10) & 0x0046, 0); // landscape, settings valid
    EXPECT_EQ(U16(book.SheetRecords(0x0081).at(0)->data, 0) & 0x0100, 0x0100);
    EXPECT_EQ(U16(book.SheetRecords(0x0083).at(0)->data, 0), 1);

    // The second sheet kept the defaults.
    std::size_t secondBof = 0;
    for (std::size_t i = book.firstSheetRecord + 1; i < book.records.size() && !secondBof; ++i)
        if (book.records[i].id == 0x0809)
            secondBof = i;
    ASSERT_NE(secondBof, 0u);
    bool pane2 = false, scl2 = false;
    for (std::size_t i = secondBof; i < book.records.size(); ++i) {
        pane2 = pane2 || book.records[i].id == 0x0041;
        scl2 = scl2 || book.records[i].id == 0x00A0;
        if (book.records[i].id == 0x00A1) {
            EXPECT_EQ(U16(book.records[i].data, 10) & 0x0002, 0x0002); // portrait
        }
    }
    EXPECT_FALSE(pane2);
    EXPECT_FALSE(scl2);
}

TEST_F(WorkbookContent, ColumnWidthsAndRowHeights)
{
    ASSERT_EQ(m_sheet->SetColumnWidths(1, 7, 7.0), S_OK);
    ASSERT_EQ(m_sheet->SetColumnWidth(8, 28.0), S_OK);
    ASSERT_EQ(m_sheet->SetRowHeight(11, 48.0), S_OK);
    ASSERT_EQ(m_sheet->SetText(12, 1, u"x"), S_OK);

    const xlstest::Workbook book = CloseAndRead();
    const auto columns = book.SheetRecords(0x007D);
    ASSERT_EQ(columns.size(), 2u);
    EXPECT_EQ(U16(columns[0]->data, 0), 0);
    EXPECT_EQ(U16(columns[0]->data, 2), 6);
    EXPECT_EQ(U16(columns[0]->data, 4), 1974); // 54 pixels
    EXPECT_EQ(U16(columns[1]->data, 4), 7350); // 201 pixels
    bool sawRow11 = false;
    for (const auto* row : book.SheetRecords(0x0208))
        if (U16(row->data, 0) == 10) {
            sawRow11 = true;
            EXPECT_EQ(U16(row->data, 6), 960);
            EXPECT_EQ(U32(row->data, 12) & 0x0140, 0x0140u);
        }
    EXPECT_TRUE(sawRow11);
}

TEST_F(WorkbookContent, LargePictureSplitsTheDrawingGroupIntoContinueRecords)
{
    const std::string path = FakePng("logo.png", 20000);
    ASSERT_EQ(m_sheet->InsertPicture(Wide(path).c_str(), 1, 1, 4, 7, 0, 0, 0, 0), S_OK);
    ASSERT_EQ(m_sheet->InsertPicture(Wide(path).c_str(), 20, 2, 21, 3, 10, 20, 30, 40), S_OK);

    const xlstest::Workbook book = CloseAndRead();
    std::size_t group = 0;
    while (group < book.records.size() && book.records[group].id != 0x00EB)
        ++group;
    ASSERT_LT(group, book.firstSheetRecord);
    xlstest::Bytes art = book.records[group].data;
    EXPECT_EQ(art.size(), 8224u);
    for (std::size_t i = group + 1; book.records[i].id == 0x003C; ++i)
        art.insert(art.end(), book.records[i].data.begin(), book.records[i].data.end());
    EXPECT_EQ(U16(art, 2), 0xF000);
    EXPECT_EQ(U32(art, 4) + 8, art.size());
    // Dgg: shape ids up to 1027 used, 3 shapes in 1 drawing.
    EXPECT_EQ(U16(art, 10), 0xF006);
    EXPECT_EQ(U32(art, 16), 1027u);
    EXPECT_EQ(U32(art, 24), 3u);
    EXPECT_EQ(U32(art, 28), 1u);
    // One picture in the store, shown twice.
    const std::size_t store = 8 + 8 + U32(art, 12);
    EXPECT_EQ(U16(art, store + 2), 0xF001);
    EXPECT_EQ(U16(art, store) >> 4, 1);
    const std::size_t bse = store + 8;
    EXPECT_EQ(U16(art, bse + 2), 0xF007);
    EXPECT_EQ(U32(art, bse + 8 + 24), 2u); // references
    const std::size_t blip = bse + 8 + 36;
    EXPECT_EQ(U16(art, blip + 2), 0xF01E);
    EXPECT_EQ(U32(art, blip + 4), 20000u + 17);
    const xlstest::Bytes png = xlstest::ReadFileBytes(path);
    EXPECT_TRUE(std::equal(png.begin(), png.end(), art.begin() + static_cast<long>(blip + 8 + 17)));

    // Each picture: its shape in an MSODRAWING record, then its OBJ.
    std::vector<std::uint16_t> order;
    for (std::size_t i = book.firstSheetRecord; i < book.records.size(); ++i)
        if (book.records[i].id == 0x00EC || book.records[i].id == 0x005D)
            order.push_back(book.records[i].id);
    EXPECT_EQ(order, (std::vector<std::uint16_t>{0x00EC, 0x005D, 0x00EC, 0x005D}));
    const auto drawings = book.SheetRecords(0x00EC);
    const xlstest::Bytes& second = drawings[1]->data;
    const std::size_t anchor = second.size() - 8 - 26; // before the empty client data
    EXPECT_EQ(U16(second, anchor + 2), 0xF010);
    const std::uint16_t expected[9] = {2, 1, 20, 19, 10, 3, 40, 21, 30};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(U16(second, anchor + 8 + 2 * static_cast<std::size_t>(i)), expected[i]) << i;
}

TEST_F(WorkbookContent, FormulasCacheTheirResultsAndAskForRecalculation)
{
    ASSERT_EQ(m_sheet->SetInteger(7, 9, 0), S_OK);
    ASSERT_EQ(m_sheet->SetInteger(13, 13, 9), S_OK);
    ASSERT_EQ(m_sheet->SetInteger(13, 14, 10), S_OK);
    ASSERT_EQ(m_sheet->SetInteger(13, 15, 11), S_OK);
    ASSERT_EQ(m_sheet->SetFormula(13, 16, u"=IF(MAX(R13C13:R13C15)>0.1*R7C9;MAX(R13C13:R13C15)/R7C9;0)"), S_OK);
    ASSERT_EQ(m_sheet->SetFormula(13, 17, u"=IF(R13C13>0;R13C13<R13C14)"), S_OK);
    ASSERT_EQ(m_sheet->SetFormula(13, 18, u"=ABS(AVERAGE(R13C13:R13C15)-R13C15)/R13C14"), S_OK);
    Held<IMergedArea> date;
    ASSERT_EQ(m_sheet->NewMergedArea(date.Out()), S_OK);
    ASSERT_EQ(date->SetFirstRow(7), S_OK);
    ASSERT_EQ(date->SetFirstColumn(5), S_OK);
    ASSERT_EQ(date->SetColumns(3), S_OK);
    ASSERT_EQ(date->SetFormula(u"=NOW()"), S_OK);
    const double before = CurrentSerialDate();

    const xlstest::Workbook book = CloseAndRead();
    const xlstest::Bytes& division = book.Cell(12, 15)->data;
    EXPECT_EQ(xlstest::Bytes(division.begin() + 6, division.begin() + 14),
              (xlstest::Bytes{2, 0, 7, 0, 0, 0, 0xFF, 0xFF})); // #DIV/0!
    EXPECT_EQ(U16(division, 14), 0x0001);                     // calculate when opened
    EXPECT_EQ(U32(division, 16), 0u);
    EXPECT_EQ(U16(division, 20), division.size() - 22);

    const xlstest::Bytes& logical = book.Cell(12, 16)->data;
    EXPECT_EQ(xlstest::Bytes(logical.begin() + 6, logical.begin() + 14), (xlstest::Bytes{1, 0, 1, 0, 0, 0, 0xFF, 0xFF}));
    EXPECT_NEAR(book.Cell(12, 17)->number, 0.1, 1e-12);

    const xlstest::CellRecord* now = book.Cell(6, 4);
    ASSERT_EQ(now->type, kFormula);
    EXPECT_GE(now->number, before - 1.0 / 86400);
    EXPECT_LE(now->number, CurrentSerialDate() + 1.0 / 86400);
    EXPECT_EQ(now->data[22], 0x19); // volatile marker first
}

TEST_F(WorkbookContent, NumbersUseTheCompactFormWhenExact)
{
    ASSERT_EQ(m_sheet->SetInteger(1, 1, -123456), S_OK);
    ASSERT_EQ(m_sheet->SetNumber(1, 2, 12.5), S_OK);
    ASSERT_EQ(m_sheet->SetNumber(1, 3, 1.0 / 3), S_OK);
    ASSERT_EQ(m_sheet->SetInteger(1, 4, 2000000000), S_OK);

    const xlstest::Workbook book = CloseAndRead();
    EXPECT_EQ(book.Cell(0, 0)->type, kRk);
    EXPECT_EQ(book.Cell(0, 0)->number, -123456);
    EXPECT_EQ(book.Cell(0, 1)->type, kRk);
    EXPECT_EQ(book.Cell(0, 1)->number, 12.5);
    EXPECT_EQ(book.Cell(0, 2)->type, kNumber);
    EXPECT_EQ(book.Cell(0, 2)->number, 1.0 / 3);
    EXPECT_EQ(book.Cell(0, 3)->number, 2000000000);
}

TEST_F(WorkbookContent, EachSheetWithPicturesHasADrawingOfItsOwn)
{
    const std::u16string png = Wide(FakePng("logo.png", 300));
    ASSERT_EQ(m_sheet->InsertPicture(png.c_str(), 1, 1, 4, 7, 0, 0, 0, 0), S_OK);
    Held<IWorksheet> empty, second;
    ASSERT_EQ(m_book->AddWorksheet(u"No pictures", empty.Out()), S_OK);
    ASSERT_EQ(m_book->AddWorksheet(u"Second", second.Out()), S_OK);
    ASSERT_EQ(second->InsertPicture(png.c_str(), 2, 2, 3, 3, 0, 0, 0, 0), S_OK);

    const xlstest::Workbook book = CloseAndRead();
    const xlstest::Bytes& art = book.GlobalRecords(0x00EB).at(0)->data;
    EXPECT_EQ(U32(art, 16), 2050u); // next free shape id: drawing 2 used 2048 and 2049
    EXPECT_EQ(U32(art, 20), 3u);    // clusters + 1
    EXPECT_EQ(U32(art, 24), 4u);    // shapes
    EXPECT_EQ(U32(art, 28), 2u);    // drawings
    EXPECT_EQ(U32(art, 32), 1u);
    EXPECT_EQ(U32(art, 36), 2u);
    EXPECT_EQ(U32(art, 40), 2u);
    EXPECT_EQ(U32(art, 44), 2u);

    std::vector<xlstest::Bytes> drawings;
    for (std::size_t i = book.firstSheetRecord; i < book.records.size(); ++i)
        if (book.records[i].id == 0x00EC)
            drawings.push_back(book.records[i].data);
    ASSERT_EQ(drawings.size(), 2u);
    const xlstest::Bytes& last = drawings[1];
    EXPECT_EQ(U16(last, 8) >> 4, 2);     // Dg of drawing 2
    EXPECT_EQ(U32(last, 16), 2u);        // two shapes
    EXPECT_EQ(U32(last, 20), 2049u);     // the last shape id
    EXPECT_EQ(U32(last, 24 + 8 + 8 + 24 + 8), 2048u); // the group shape
}
