#include <filesystem>

#include "tests/xls/component_fixture.h"

using namespace k4xls;

using InterfaceFailures = ComponentTest;

TEST_F(InterfaceFailures, CellPositionsOutsideTheSheetAreRefused)
{
    const std::pair<int, int> outside[] = {{0, 1}, {1, 0}, {65537, 1}, {1, 257}, {-1, 5}};
    for (const auto& [row, column] : outside) {
        EXPECT_EQ(m_sheet->SetText(row, column, u"x"), E_INVALIDARG);
        EXPECT_EQ(m_sheet->SetInteger(row, column, 1), E_INVALIDARG);
        EXPECT_EQ(m_sheet->SetNumber(row, column, 1.5), E_INVALIDARG);
        EXPECT_EQ(m_sheet->SetFormula(row, column, u"=1"), E_INVALIDARG);
    }
    EXPECT_EQ(m_sheet->SetText(65536, 256, u"corner"), S_OK);
    EXPECT_EQ(m_sheet->SetRowHeight(0, 12), E_INVALIDARG);
    EXPECT_EQ(m_sheet->SetRowHeight(65537, 12), E_INVALIDARG);
    EXPECT_EQ(m_sheet->SetColumnWidth(257, 5), E_INVALIDARG);
    EXPECT_EQ(m_sheet->SetColumnWidths(5, 4, 5), E_INVALIDARG);
    EXPECT_EQ(m_sheet->SetColumnWidths(0, 4, 5), E_INVALIDARG);
    EXPECT_EQ(m_sheet->SetNumber(1, 1, std::numeric_limits<double>::quiet_NaN()), E_INVALIDARG);
    EXPECT_EQ(m_sheet->SetNumber(1, 1, std::numeric_limits<double>::infinity()), E_INVALIDARG);
    EXPECT_EQ(m_sheet->SetRowHeight(3, 0), E_INVALIDARG);
    EXPECT_EQ(m_sheet->SetRowHeight(3, 410), E_INVALIDARG);
    EXPECT_EQ(m_sheet->SetColumnWidth(3, -1), E_INVALIDARG);
    EXPECT_EQ(m_sheet->SetColumnWidth(3, 256), E_INVALIDARG);
}

TEST_F(InterfaceFailures, NullPointersAreReported)
{
    EXPECT_EQ(m_engine->NewWorkbook(nullptr, nullptr), E_POINTER);
    IWorkbook* book = reinterpret_cast<IWorkbook*>(0x1);
    EXPECT_EQ(m_engine->NewWorkbook(nullptr, &book), E_POINTER);
    EXPECT_EQ(book, nullptr); // out-parameters are cleared on failure
    EXPECT_EQ(m_book->AddWorksheet(u"x", nullptr), E_POINTER);
    EXPECT_EQ(m_sheet->SetText(1, 1, nullptr), E_POINTER);
    EXPECT_EQ(m_sheet->SetFormula(1, 1, nullptr), E_POINTER);
    EXPECT_EQ(m_sheet->NewStyle(nullptr), E_POINTER);
    EXPECT_EQ(m_sheet->NewRichText(nullptr), E_POINTER);
    EXPECT_EQ(m_sheet->NewMergedArea(nullptr), E_POINTER);
    EXPECT_EQ(m_sheet->GetRange(nullptr, nullptr), E_POINTER);
    EXPECT_EQ(m_sheet->GetSheetSwitches(nullptr), E_POINTER);
    EXPECT_EQ(m_sheet->GetSheetSettings(nullptr), E_POINTER);
    EXPECT_EQ(m_sheet->InsertPicture(nullptr, 1, 1, 4, 7, 0, 0, 0, 0), E_POINTER);

    IStyle* style = NewStyle();
    EXPECT_EQ(style->SetNumberFormat(nullptr), E_POINTER);
    EXPECT_EQ(style->GetAlignment(nullptr), E_POINTER);
    EXPECT_EQ(style->GetFont(nullptr), E_POINTER);
    EXPECT_EQ(style->GetBorders(nullptr), E_POINTER);
    EXPECT_EQ(style->GetFill(nullptr), E_POINTER);
    EXPECT_EQ(style->Duplicate(nullptr), E_POINTER);
    Held<IBorders> borders;
    ASSERT_EQ(style->GetBorders(borders.Out()), S_OK);
    EXPECT_EQ(borders->GetLeft(nullptr), E_POINTER);

    Held<IRichText> rich;
    ASSERT_EQ(m_sheet->NewRichText(rich.Out()), S_OK);
    EXPECT_EQ(rich->AppendRun(nullptr, style), E_POINTER);
    EXPECT_EQ(rich->AppendRun(u"x", nullptr), E_POINTER);
    Held<IMergedArea> area;
    ASSERT_EQ(m_sheet->NewMergedArea(area.Out()), S_OK);
    EXPECT_EQ(area->SetText(nullptr), E_POINTER);
    EXPECT_EQ(area->SetFormula(nullptr), E_POINTER);
    EXPECT_EQ(area->SetRichText(nullptr), E_POINTER);
}

TEST_F(InterfaceFailures, UnacceptedFormulaLeavesTheCellAsItWas)
{
    ASSERT_EQ(m_sheet->SetInteger(2, 2, 42), S_OK);
    EXPECT_EQ(m_sheet->SetFormula(2, 2, u"=SUM(R1C1:R1C2)"), E_BADFORMULA);
    EXPECT_EQ(m_sheet->SetFormula(2, 2, u"=IF(R1C1>0;1"), E_BADFORMULA);
    Held<IMergedArea> area;
    ASSERT_EQ(m_sheet->NewMergedArea(area.Out()), S_OK);
    ASSERT_EQ(area->SetFirstRow(5), S_OK);
    ASSERT_EQ(area->SetColumns(3), S_OK);
    EXPECT_EQ(area->SetFormula(u"=NOW(1)"), E_BADFORMULA);

    const xlstest::Workbook book = CloseAndRead();
    ASSERT_NE(book.Cell(1, 1), nullptr);
    EXPECT_EQ(book.Cell(1, 1)->number, 42);
    EXPECT_EQ(book.Cell(4, 0), nullptr); // the area was not placed
    EXPECT_TRUE(book.SheetRecords(0x00E5).empty());
}

TEST_F(InterfaceFailures, UnwritableTargetLeavesNothingUnderItsName)
{
    Held<IWorkbook> missingFolder;
    ASSERT_EQ(m_engine->NewWorkbook(Path(u"no/such/folder/out.xls").c_str(), missingFolder.Out()), S_OK);
    EXPECT_EQ(missingFolder->Close(), E_WRITEFAILED);
    EXPECT_FALSE(std::filesystem::exists(NarrowPath("no")));

    // A target the rename cannot replace: what is there stays, and no
    // temporary file is left beside it.
    std::filesystem::create_directories(NarrowPath("taken.xls/inside"));
    Held<IWorkbook> taken;
    ASSERT_EQ(m_engine->NewWorkbook(Path(u"taken.xls").c_str(), taken.Out()), S_OK);
    Held<IWorksheet> sheet;
    ASSERT_EQ(taken->AddWorksheet(u"S", sheet.Out()), S_OK);
    ASSERT_EQ(sheet->SetText(1, 1, u"data"), S_OK);
    EXPECT_EQ(taken->Close(), E_WRITEFAILED);
    EXPECT_TRUE(std::filesystem::is_directory(NarrowPath("taken.xls/inside")));
    std::size_t entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(m_folder))
        entries += entry.path().filename() != "taken.xls";
    EXPECT_EQ(entries, 0u);

    // A failed close can be retried once the target is free.
    std::filesystem::remove_all(NarrowPath("taken.xls"));
    EXPECT_EQ(taken->Close(), S_OK);
    EXPECT_TRUE(std::filesystem::is_regular_file(NarrowPath("taken.xls")));
}

TEST_F(InterfaceFailures, PictureProblemsAreReported)
{
    EXPECT_EQ(m_sheet->InsertPicture(Path(u"missing.png").c_str(), 1, 1, 4, 7, 0, 0, 0, 0), E_FAIL);
    EXPECT_EQ(m_sheet->InsertPicture(Path(u"").c_str(), 1, 1, 4, 7, 0, 0, 0, 0), E_FAIL); // a folder
    std::ofstream(NarrowPath("text.png")) << "not a picture at all, just some text";
    EXPECT_EQ(m_sheet->InsertPicture(Path(u"text.png").c_str(), 1, 1, 4, 7, 0, 0, 0, 0), E_INVALIDARG);

    const std::u16string png = Wide(FakePng("logo.png", 100));
    EXPECT_EQ(m_sheet->InsertPicture(png.c_str(), 4, 1, 1, 7, 0, 0, 0, 0), E_INVALIDARG); // bottom above top
    EXPECT_EQ(m_sheet->InsertPicture(png.c_str(), 1, 1, 4, 257, 0, 0, 0, 0), E_INVALIDARG);
    EXPECT_EQ(m_sheet->InsertPicture(png.c_str(), 1, 1, 4, 7, 256, 0, 0, 0), E_INVALIDARG);
    EXPECT_EQ(m_sheet->InsertPicture(png.c_str(), 1, 1, 4, 7, 0, 1024, 0, 0), E_INVALIDARG);
    EXPECT_EQ(m_sheet->InsertPicture(png.c_str(), 1, 1, 4, 7, 0, 0, -1, 0), E_INVALIDARG);
    EXPECT_EQ(m_sheet->InsertPicture(png.c_str(), 1, 1, 4, 7, 0, 0, 0, 0), S_OK);

    const xlstest::Workbook book = CloseAndRead();
    EXPECT_EQ(book.SheetRecords(0x00EC).size(), 1u); // only the good picture
}

TEST_F(InterfaceFailures, RangesAndAreasMustLieOnTheSheet)
{
    const char16_t* bad[] = {u"", u"A1", u"R0C1", u"R1C0", u"R1C1:", u"R1C1:R2", u"R1C1 ", u"R65537C1", u"R1C1:R2C257",
                             u"r1c1:r2c2:r3c3"};
    for (const char16_t* text : bad) {
        IRange* range = reinterpret_cast<IRange*>(0x1);
        EXPECT_EQ(m_sheet->GetRange(text, &range), E_INVALIDARG);
        EXPECT_EQ(range, nullptr);
    }
    Held<IRange> good;
    EXPECT_EQ(m_sheet->GetRange(u"r12c25:R1C1", good.Out()), S_OK);

    Held<IMergedArea> area;
    ASSERT_EQ(m_sheet->NewMergedArea(area.Out()), S_OK);
    EXPECT_EQ(area->SetFirstRow(0), E_INVALIDARG);
    EXPECT_EQ(area->SetFirstColumn(257), E_INVALIDARG);
    EXPECT_EQ(area->SetColumns(0), E_INVALIDARG);
    EXPECT_EQ(area->SetRows(-2), E_INVALIDARG);
    ASSERT_EQ(area->SetFirstRow(65536), S_OK);
    ASSERT_EQ(area->SetRows(2), S_OK);
    EXPECT_EQ(area->SetText(u"runs off the sheet"), E_INVALIDARG);

    // Areas may not overlap an earlier one; the same area again is fine.
    ASSERT_EQ(area->SetFirstRow(1), S_OK);
    ASSERT_EQ(area->SetColumns(3), S_OK);
    EXPECT_EQ(area->SetText(u"first"), S_OK);
    EXPECT_EQ(area->SetText(u"again"), S_OK);
    ASSERT_EQ(area->SetFirstColumn(3), S_OK);
    EXPECT_EQ(area->SetText(u"overlapping"), E_INVALIDARG);
}

TEST_F(InterfaceFailures, StyleAndSheetSettingsOutsideTheirRanges)
{
    IStyle* style = NewStyle();
    Held<IAlignment> alignment;
    ASSERT_EQ(style->GetAlignment(alignment.Out()), S_OK);
    EXPECT_EQ(alignment->SetHorizontal(4), E_INVALIDARG);
    EXPECT_EQ(alignment->SetVertical(0), E_INVALIDARG);
    EXPECT_EQ(alignment->SetVertical(4), E_INVALIDARG);
    EXPECT_EQ(alignment->SetRotation(91), E_INVALIDARG);
    EXPECT_EQ(alignment->SetRotation(-91), E_INVALIDARG);
    Held<IFont> font;
    ASSERT_EQ(style->GetFont(font.Out()), S_OK);
    EXPECT_EQ(font->SetColour(-1), E_INVALIDARG);
    EXPECT_EQ(font->SetColour(0x1000000), E_INVALIDARG);
    Held<IFill> fill;
    ASSERT_EQ(style->GetFill(fill.Out()), S_OK);
    EXPECT_EQ(fill->SetColour(0x1000000), E_INVALIDARG);
    Held<IBorders> borders;
    ASSERT_EQ(style->GetBorders(borders.Out()), S_OK);
    Held<IBorderSide> side;
    ASSERT_EQ(borders->GetTop(side.Out()), S_OK);
    EXPECT_EQ(side->SetLine(14), E_INVALIDARG);
    EXPECT_EQ(style->SetNumberFormat(std::u16string(256, u'0').c_str()), E_INVALIDARG);

    EXPECT_EQ(m_sheet->SetSheetOption(9), E_INVALIDARG);
    EXPECT_EQ(m_sheet->SetSheetOption(401), E_INVALIDARG);
    Held<ISheetSwitches> switches;
    ASSERT_EQ(m_sheet->GetSheetSwitches(switches.Out()), S_OK);
    EXPECT_EQ(switches->SetFirst(2), E_INVALIDARG);
    EXPECT_EQ(switches->SetThird(-1), E_INVALIDARG);
    Held<ISheetSettings> settings;
    ASSERT_EQ(m_sheet->GetSheetSettings(settings.Out()), S_OK);
    EXPECT_EQ(settings->SetFirst(65537), E_INVALIDARG);
    EXPECT_EQ(settings->SetSecond(257), E_INVALIDARG);

    EXPECT_EQ(m_book->AddWorksheet(u"", m_sheet.Out()), E_INVALIDARG);
    EXPECT_EQ(m_book->AddWorksheet(u"tq k4", m_sheet.Out()), E_INVALIDARG); // names differ by case only
    EXPECT_EQ(m_book->AddWorksheet(u"a[1]", m_sheet.Out()), E_INVALIDARG);
    EXPECT_EQ(m_book->AddWorksheet(std::u16string(32, u'x').c_str(), m_sheet.Out()), E_INVALIDARG);
}

TEST_F(InterfaceFailures, ForeignObjectsAreRefused)
{
    // An IStyle that is not one of the component's own.
    struct ForeignStyle : IStyle {
        std::uint32_t AddRef() override { return 1; }
        std::uint32_t Release() override { return 1; }
        Status SetNumberFormat(const char16_t*) override { return S_OK; }
        Status GetAlignment(IAlignment**) override { return E_NOTIMPL; }
        Status GetFont(IFont**) override { return E_NOTIMPL; }
        Status GetBorders(IBorders**) override { return E_NOTIMPL; }
        Status GetFill(IFill**) override { return E_NOTIMPL; }
        Status Apply() override { return S_OK; }
        Status Duplicate(IStyle**) override { return E_NOTIMPL; }
        Status SetStyleFlag(std::int32_t) override { return S_OK; }
    } foreign;
    Held<IRichText> rich;
    ASSERT_EQ(m_sheet->NewRichText(rich.Out()), S_OK);
    EXPECT_EQ(rich->AppendRun(u"x", &foreign), E_INVALIDARG);
}

TEST_F(InterfaceFailures, AClosedWorkbookTakesNoMoreChanges)
{
    ASSERT_EQ(m_sheet->SetText(1, 1, u"before"), S_OK);
    IStyle* style = NewStyle();
    ASSERT_EQ(m_book->Close(), S_OK);
    const auto written = std::filesystem::file_size(NarrowPath("book.xls"));

    EXPECT_EQ(m_sheet->SetText(1, 1, u"after"), E_FAIL);
    EXPECT_EQ(m_sheet->SetFormula(2, 1, u"=1"), E_FAIL);
    EXPECT_EQ(m_sheet->SetColumnWidth(1, 3), E_FAIL);
    EXPECT_EQ(m_sheet->SetSheetOption(50), E_FAIL);
    EXPECT_EQ(style->Apply(), S_OK); // harmless: nothing can be written with it
    EXPECT_EQ(m_book->AddWorksheet(u"late", m_sheet.Out()), E_FAIL);
    EXPECT_EQ(m_book->Close(), E_FAIL);
    EXPECT_EQ(std::filesystem::file_size(NarrowPath("book.xls")), written);
}

TEST_F(InterfaceFailures, ReferencesKeepParentsAliveInAnyReleaseOrder)
{
    IStyle* style = nullptr;
    ASSERT_EQ(m_sheet->NewStyle(&style), S_OK);
    EXPECT_EQ(style->AddRef(), 2u);
    EXPECT_EQ(style->Release(), 1u);
    IFont* font = nullptr;
    ASSERT_EQ(style->GetFont(&font), S_OK);
    IRange* range = nullptr;
    ASSERT_EQ(m_sheet->GetRange(u"R1C1:R2C2", &range), S_OK);

    // The caller lets go of everything but the font and the range first.
    style->Release();
    m_sheet.Reset();
    m_book.Reset();
    m_engine.Reset();
    EXPECT_EQ(font->SetBold(1), S_OK);
    EXPECT_EQ(range->ApplyStyle(), S_OK);
    IStyle* rangeStyle = nullptr;
    ASSERT_EQ(range->GetStyle(&rangeStyle), S_OK);
    EXPECT_EQ(range->Release(), 0u);
    EXPECT_EQ(rangeStyle->Apply(), S_OK);
    EXPECT_EQ(rangeStyle->Release(), 0u);
    EXPECT_EQ(font->Release(), 0u); // the last one: style, sheet and workbook go with it
}
