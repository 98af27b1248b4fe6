// What the component refuses, what a refusal leaves behind, and how a
// workbook that cannot be written ends.
#if !defined(_WIN32)
#include <sys/resource.h>
#endif

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <sstream>

#include "report/xls/k4xls.h"
#include "tests/xls/com_holder.h"

using namespace k4xls;

extern "C" IEngine* Start();

// A workbook with one sheet, made through the component's own Start(), in a
// folder of its own that is removed afterwards.
class InterfaceFailures : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder = std::filesystem::temp_directory_path() /
                   ("k4xls-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
        std::filesystem::create_directories(m_folder);
        *m_engine.Out() = Start();
        ASSERT_NE(m_engine.Get(), nullptr);
        m_engine->AddRef();
        ASSERT_EQ(m_engine->NewWorkbook(Path("book.xls").c_str(), m_book.Out()), S_OK);
        ASSERT_EQ(m_book->AddWorksheet(u"TQ K4", m_sheet.Out()), S_OK);
    }
    void TearDown() override { std::filesystem::remove_all(m_folder); }

    std::u16string Path(const std::string& name) const
    {
        const std::string narrow = (m_folder / name).string();
        return std::u16string(narrow.begin(), narrow.end());
    }

    // Records with this id in the closed workbook's file. The Workbook stream is found
    // through the header and its directory entry; its sectors follow each other.
    std::size_t Written(std::uint16_t id) const
    {
        std::ifstream in(m_folder / "book.xls", std::ios::binary);
        const xlstest::Bytes file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        const std::size_t entry = (xlstest::U32(file, 48) + 1) * 512 + 128;
        const auto start = file.begin() + static_cast<long>((xlstest::U32(file, entry + 116) + 1) * 512);
        std::size_t count = 0;
        for (const auto& r : xlstest::Records(xlstest::Bytes(start, start + xlstest::U32(file, entry + 120))))
            count += r.id == id;
        return count;
    }

    std::filesystem::path m_folder;
    Held<IEngine> m_engine;
    Held<IWorkbook> m_book;
    Held<IWorksheet> m_sheet;
};

TEST_F(InterfaceFailures, PositionsSizesNamesAndNullArgumentsAreRefused)
{
    for (const auto& [row, column] : {std::pair{0, 1}, {1, 0}, {65537, 1}, {1, 257}})
        for (const Status status : {m_sheet->SetText(row, column, u"x"), m_sheet->SetInteger(row, column, 1),
                                    m_sheet->SetNumber(row, column, 1.5), m_sheet->SetFormula(row, column, u"=1")})
            EXPECT_EQ(status, E_INVALIDARG) << row << ", " << column;
    Held<IStyle> style;
    Held<IMergedArea> area;
    Held<IRichText> rich;
    Held<IWorksheet> second;
    ASSERT_EQ(m_sheet->NewStyle(style.Out()), S_OK);
    ASSERT_EQ(m_sheet->NewMergedArea(area.Out()), S_OK);
    ASSERT_EQ(m_sheet->NewRichText(rich.Out()), S_OK);
    IWorkbook* book = reinterpret_cast<IWorkbook*>(0x1);
    IWorksheet* sheet = nullptr;
    const std::pair<Status, Status> calls[] = {
        {m_sheet->SetText(65536, 256, u"corner"), S_OK},
        {m_sheet->SetNumber(1, 1, std::numeric_limits<double>::quiet_NaN()), E_INVALIDARG},
        {m_sheet->SetRowHeight(65537, 12), E_INVALIDARG},
        {m_sheet->SetRowHeight(3, 410), E_INVALIDARG},
        {m_sheet->SetColumnWidth(257, 5), E_INVALIDARG},
        {m_sheet->SetColumnWidths(5, 4, 5), E_INVALIDARG},
        {m_book->AddWorksheet(u"Az", second.Out()), S_OK},
        {m_book->AddWorksheet(u"aZ", &sheet), E_INVALIDARG}, // names are told apart without case
        {m_engine->NewWorkbook(nullptr, &book), E_POINTER},
        {m_engine->NewWorkbook(u"x.xls", nullptr), E_POINTER},
        {m_book->AddWorksheet(u"x", nullptr), E_POINTER},
        {m_sheet->SetText(1, 1, nullptr), E_POINTER},
        {m_sheet->SetFormula(1, 1, nullptr), E_POINTER},
        {m_sheet->GetRange(nullptr, nullptr), E_POINTER},
        {m_sheet->InsertPicture(nullptr, 1, 1, 4, 7, 0, 0, 0, 0), E_POINTER},
        {style->SetNumberFormat(nullptr), E_POINTER},
        {style->Duplicate(nullptr), E_POINTER},
        {area->SetRichText(nullptr), E_POINTER},
        {rich->AppendRun(nullptr, style.Get()), E_POINTER},
        {rich->AppendRun(u"x", nullptr), E_POINTER},
    };
    for (std::size_t i = 0; i < std::size(calls); ++i)
        EXPECT_EQ(calls[i].first, calls[i].second) << "call " << i;
    EXPECT_EQ(book, nullptr); // out-parameters are cleared on failure

    for (const char16_t* text :
         {u"", u"A1", u"R0C1", u"R1C1:", u"R1C1:R2", u"R1C1 ", u"R65537C1", u"R1C1:R2C257", u"r1c1:r2c2:r3c3"}) {
        IRange* range = reinterpret_cast<IRange*>(0x1);
        EXPECT_EQ(m_sheet->GetRange(text, &range), E_INVALIDARG);
        EXPECT_EQ(range, nullptr);
    }
    Held<IRange> reversed;
    EXPECT_EQ(m_sheet->GetRange(u"r12c25:R1C1", reversed.Out()), S_OK);

    ASSERT_EQ(area->SetFirstRow(65536) | area->SetRows(2), S_OK);
    EXPECT_EQ(area->SetFirstRow(0), E_INVALIDARG);
    EXPECT_EQ(area->SetText(u"runs off the sheet"), E_INVALIDARG);
    ASSERT_EQ(area->SetFirstRow(1) | area->SetColumns(3), S_OK);
    EXPECT_EQ(area->SetText(u"first"), S_OK);
    EXPECT_EQ(area->SetText(u"the same area again"), S_OK);
    ASSERT_EQ(area->SetFirstColumn(3), S_OK);
    EXPECT_EQ(area->SetText(u"overlapping"), E_INVALIDARG);
}

TEST_F(InterfaceFailures, RefusedFormulasAndPicturesLeaveNothingBehind)
{
    ASSERT_EQ(m_sheet->SetInteger(2, 2, 42), S_OK);
    EXPECT_EQ(m_sheet->SetFormula(2, 2, u"=SUM(R1C1:R1C2)"), E_BADFORMULA); // unknown function
    EXPECT_EQ(m_sheet->SetFormula(2, 2, u"=IF(R1C1>0;1"), E_BADFORMULA);    // unparsable
    Held<IMergedArea> area;
    ASSERT_EQ(m_sheet->NewMergedArea(area.Out()), S_OK);
    ASSERT_EQ(area->SetFirstRow(5) | area->SetColumns(3), S_OK);
    EXPECT_EQ(area->SetFormula(u"=NOW(1)"), E_BADFORMULA);

    EXPECT_EQ(m_sheet->InsertPicture(Path("missing.png").c_str(), 1, 1, 4, 7, 0, 0, 0, 0), E_FAIL);
    EXPECT_EQ(m_sheet->InsertPicture(Path("").c_str(), 1, 1, 4, 7, 0, 0, 0, 0), E_FAIL); // a folder
    std::ofstream(m_folder / "text.png") << "not a picture at all, just some text";
    EXPECT_EQ(m_sheet->InsertPicture(Path("text.png").c_str(), 1, 1, 4, 7, 0, 0, 0, 0), E_INVALIDARG);
    // Passes for a PNG picture: signature, IHDR, some bytes.
    std::ofstream(m_folder / "logo.png", std::ios::binary)
        << std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16) << std::string(100, '\x5a');
    const std::u16string png = Path("logo.png");
    for (const auto& a : {std::array{4, 1, 1, 7, 0, 0, 0, 0}, // bottom above top
                          std::array{1, 7, 4, 1, 0, 0, 0, 0}, // right edge left of the left one
                          std::array{1, 1, 4, 257, 0, 0, 0, 0}, std::array{1, 1, 4, 7, 256, 0, 0, 0},
                          std::array{1, 1, 4, 7, 0, 1024, 0, 0}, std::array{1, 1, 4, 7, 0, 0, -1, 0}})
        EXPECT_EQ(m_sheet->InsertPicture(png.c_str(), a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7]), E_INVALIDARG);
    EXPECT_EQ(m_sheet->InsertPicture(png.c_str(), 3, 2, 3, 2, 0, 0, 0, 0), S_OK); // within one cell

    ASSERT_EQ(m_book->Close(), S_OK);
    // The number (RK) is still there; no FORMULA, no BLANK or MERGEDCELLS of the area; one MSODRAWING.
    EXPECT_EQ((std::array{Written(0x027E), Written(0x0006), Written(0x0201), Written(0x00E5), Written(0x00EC)}),
              (std::array<std::size_t, 5>{1, 0, 0, 0, 1}));
}

// A missing folder and a rename that fails are the CSV's cases
// (tests/eventlog), through the same file writer; here a write that stops
// part way.
TEST_F(InterfaceFailures, UnwritableTargetLeavesNothingUnderItsNameAndAnOlderFileSurvives)
{
    ASSERT_EQ(m_sheet->SetText(1, 1, u"data"), S_OK);
#if !defined(_WIN32)
    // Writing stops part way, as on a full disk (files limited to 1 KiB;
    // Windows has no such limit to set).
    std::ofstream(m_folder / "book.xls") << "older report";
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 1024;
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const Status status = m_book->Close();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_EQ(status, E_WRITEFAILED);
    std::ostringstream older;
    older << std::ifstream(m_folder / "book.xls", std::ios::binary).rdbuf();
    EXPECT_EQ(older.str(), "older report");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_folder), {}), 1) << "a partial file left behind";
#endif

    ASSERT_EQ(m_book->Close(), S_OK); // a failed close can be retried
    EXPECT_EQ(Written(0x00FD), 1u);   // LABELSST
}
// Children hold their parents; whatever order the caller lets go in, the
// objects still held keep working and everything is freed once. The
// sanitizer build reports any leak, double free or use after free.
TEST(ReferenceCounting, EveryReleaseOrderFreesEverythingOnce)
{
    enum { kEngine, kBook, kSheet, kStyle, kFont, kRange, kArea, kCount };
    std::array<int, kCount> order = {kEngine, kBook, kSheet, kStyle, kFont, kRange, kArea};
    do {
        IEngine* engine = Start();
        engine->AddRef();
        IWorkbook* book = nullptr;
        IWorksheet* sheet = nullptr;
        IStyle* style = nullptr;
        IFont* font = nullptr;
        IRange* range = nullptr;
        IMergedArea* area = nullptr;
        ASSERT_EQ(engine->NewWorkbook(u"never-closed.xls", &book), S_OK);
        ASSERT_EQ(book->AddWorksheet(u"S", &sheet), S_OK); // each step needs the one before
        ASSERT_EQ(sheet->NewStyle(&style), S_OK);
        ASSERT_EQ(style->GetFont(&font), S_OK);
        ASSERT_EQ(sheet->GetRange(u"R1C1:R2C2", &range), S_OK);
        ASSERT_EQ(sheet->NewMergedArea(&area), S_OK);
        std::array<IRefCounted*, kCount> held = {engine, book, sheet, style, font, range, area};
        for (const int next : order) {
            held[next]->Release();
            held[next] = nullptr;
            EXPECT_TRUE(!held[kSheet] || sheet->SetText(3, 1, u"x") == S_OK);
            EXPECT_TRUE(!held[kStyle] || style->Apply() == S_OK);
            EXPECT_TRUE(!held[kFont] || font->SetBold(1) == S_OK);
            EXPECT_TRUE(!held[kRange] || range->ApplyStyle() == S_OK);
            EXPECT_TRUE(!held[kArea] || area->SetRows(2) == S_OK);
        }
    } while (std::next_permutation(order.begin(), order.end()));
}
