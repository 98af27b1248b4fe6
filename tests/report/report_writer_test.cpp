// How the report writer ends, well or not, against a spreadsheet engine made
// for tests, which keeps the texts the writer sets, counts every reference,
// and can fail any one call or hand out a null interface from it. The rows
// themselves are held by golden_sample and by the readers (check_report.py).
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <clocale>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <unistd.h>

#include "common/message_sink.h"
#include "common/texts.h"
#include "eventlog/event_codes.h"
#include "report/xls/k4xls.h"
#include "report/xls_report.h"
#include "report/xls_report_with_component.h"
#include "tests/eventlog/record_builder.h"

namespace {

using namespace k4xls;
using std::int32_t;
using Texts = std::vector<std::string>;

struct Faults {
    int failAt = 0; // this call (1-based) returns E_FAIL
    int nullAt = 0; // this call succeeds but hands out no interface
    bool noEngine = false;
};

class Object;

struct Book {
    Faults faults;
    Texts calls; // method names in order, "+" before those that hand out an interface
    int liveReferences = 0, overReleases = 0;
    bool closed = false;
    std::u16string workbookPath;
    std::map<std::pair<int, int>, std::string> cells; // the texts
    // Objects live until the book goes, so that a release too many is
    // counted rather than crashing.
    std::deque<Object> objects;

    Status Enter(const char* name, bool handingOut)
    {
        calls.push_back((handingOut ? "+" : "") + std::string(name));
        return static_cast<int>(calls.size()) == faults.failAt ? E_FAIL : S_OK;
    }
    Object* Make(int references);
};

// A method that is one step of the run, and one that hands out a new object.
// clang-format off
#define MOCK_STEP(name, ...) Status name(__VA_ARGS__) override { return Step(#name); }
#define MOCK_OUT(name, type) Status name(type** out) override { return HandOut(#name, out); }
// clang-format on

template <class... Interfaces>
struct All : Interfaces... {};

// One object plays every interface: whatever the writer fetches is a new
// Object, seen only through the interface asked for.
class Object final : public All<IEngine, IWorkbook, IWorksheet, IStyle, IAlignment, IFont, IFill, IBorders, IBorderSide,
                                IRange, IRichText, IMergedArea, ISheetSwitches, ISheetSettings> {
public:
    Object(Book& book, int references) : refs(references), m_book(book) {}
    int refs;

    std::uint32_t AddRef() override
    {
        ++m_book.liveReferences;
        return static_cast<std::uint32_t>(++refs);
    }
    std::uint32_t Release() override
    {
        m_book.overReleases += refs <= 0;
        m_book.liveReferences -= refs > 0;
        return static_cast<std::uint32_t>(refs <= 0 ? 0 : --refs);
    }
    Status NewWorkbook(const char16_t* path, IWorkbook** out) override
    {
        m_book.workbookPath = path;
        return HandOut(__func__, out);
    }
    Status Close() override
    {
        const Status status = Step(__func__);
        m_book.closed = !Failed(status);
        return status;
    }
    Status SetText(int32_t row, int32_t column, const char16_t* text) override
    {
        const std::u16string_view wide(text); // ASCII in these tests
        return Step(__func__, row, column, std::string(wide.begin(), wide.end()));
    }
    Status AddWorksheet(const char16_t*, IWorksheet** out) override { return HandOut(__func__, out); }
    Status GetRange(const char16_t*, IRange** out) override { return HandOut(__func__, out); }
    Status AppendRun(const char16_t*, IStyle* fontOf) override { return fontOf ? Step(__func__) : E_POINTER; }
    Status SetRichText(IRichText* text) override { return text ? Step(__func__) : E_POINTER; }

    // One line per interface, as k4xls.h declares them.
    // clang-format off
    MOCK_OUT(NewStyle, IStyle) MOCK_OUT(NewRichText, IRichText) MOCK_OUT(NewMergedArea, IMergedArea)
    MOCK_OUT(GetSheetSwitches, ISheetSwitches) MOCK_OUT(GetSheetSettings, ISheetSettings)
    MOCK_STEP(SetInteger, int32_t, int32_t, int32_t) MOCK_STEP(SetNumber, int32_t, int32_t, double)
    MOCK_STEP(SetFormula, int32_t, int32_t, const char16_t*) MOCK_STEP(SetColumnWidth, int32_t, double)
    MOCK_STEP(SetColumnWidths, int32_t, int32_t, double) MOCK_STEP(SetRowHeight, int32_t, double)
    MOCK_STEP(SetSheetOption, int32_t)
    MOCK_STEP(InsertPicture, const char16_t*, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t)
    MOCK_OUT(Duplicate, IStyle) MOCK_OUT(GetAlignment, IAlignment) MOCK_OUT(GetFont, IFont) MOCK_OUT(GetFill, IFill)
    MOCK_OUT(GetBorders, IBorders) MOCK_STEP(SetNumberFormat, const char16_t*) MOCK_STEP(SetStyleFlag, int32_t)
    MOCK_STEP(Apply)
    MOCK_STEP(SetHorizontal, int32_t) MOCK_STEP(SetVertical, int32_t) MOCK_STEP(SetWrap, int32_t)
    MOCK_STEP(SetRotation, int32_t)
    MOCK_STEP(SetBold, int32_t) MOCK_STEP(SetColour, int32_t) // font and fill
    MOCK_OUT(GetLeft, IBorderSide) MOCK_OUT(GetRight, IBorderSide) MOCK_OUT(GetTop, IBorderSide)
    MOCK_OUT(GetBottom, IBorderSide) MOCK_STEP(SetLine, int32_t)
    MOCK_OUT(GetStyle, IStyle) MOCK_STEP(ApplyStyle)
    MOCK_STEP(SetFirstRow, int32_t) MOCK_STEP(SetFirstColumn, int32_t) MOCK_STEP(SetColumns, int32_t)
    MOCK_STEP(SetRows, int32_t) MOCK_STEP(SetText, const char16_t*) MOCK_STEP(SetFormula, const char16_t*)
    MOCK_STEP(SetFirst, int32_t) MOCK_STEP(SetSecond, int32_t) MOCK_STEP(SetThird, int32_t) // switches and settings
        // clang-format on

        private :
        // A text keeps what the cell shows, unless the call fails.
        Status Step(const char* name, int row = 0, int column = 0, std::string shown = {})
    {
        const Status status = m_book.Enter(name, false);
        if (!Failed(status) && row > 0)
            m_book.cells[{row, column}] = std::move(shown);
        return status;
    }

    // Hands out a new object, unless this call is chosen to fail or to
    // hand out nothing.
    template <class Out>
    Status HandOut(const char* name, Out** out)
    {
        *out = nullptr;
        if (const Status status = m_book.Enter(name, true); Failed(status))
            return status;
        if (static_cast<int>(m_book.calls.size()) != m_book.faults.nullAt)
            *out = m_book.Make(1);
        return S_OK;
    }

    Book& m_book;
};

Object* Book::Make(int references)
{
    liveReferences += references;
    return &objects.emplace_back(*this, references);
}

struct RecordingSink : k4::MessageSink {
    void ShowMessage(std::string_view text) override { messages.emplace_back(text); }
    Texts messages;
};

struct Run {
    Book book;
    RecordingSink sink;
    bool result = false;
};

// One record of each shape the rows distinguish, so that every kind of
// call the writer makes is among the steps.
const std::vector<std::uint8_t> kMixedTable =
    k4::test::TableBuilder()
        .Measurement(k4::EVT_SWITCH_ON, 10, 1, {3680, 3696, 3664}, {200, 208, 192})
        .Measurement(k4::EVT_TRIP_OVERLOAD, 20, 0, {3680, 3696, 3664}, {200, 208, 192})
        .Empty()
        .Parameter(k4::EVT_PROTECTION_CHANGE, 30, 7, 0x41)
        .Stamped(k4::EVT_DEFAULTS_RESTORED, 40)
        .Table();

// Runs the report writer on the mixed table (or its first `tableLength`
// bytes). The "Start" export hands out an engine without a reference.
std::unique_ptr<Run> RunWriter(Faults faults = {}, std::string_view outputPath = "/reports/unit 7.xls",
                               std::size_t tableLength = kMixedTable.size())
{
    static Book* current = nullptr;
    auto run = std::make_unique<Run>();
    run->book.faults = faults;
    current = &run->book;
    const auto start = []() -> IEngine* { return current->faults.noEngine ? nullptr : current->Make(0); };
    run->result = k4::WriteXlsReportWithComponent(start, static_cast<std::uint16_t>(tableLength), kMixedTable,
                                                  std::string(outputPath), "/opt/k4/TQLogo.png", run->sink);
    return run;
}

// A run ends with `message` (none: success), its workbook closed only on success, every reference released.
void ExpectEnd(const Run& run, std::string_view message, const std::string& context)
{
    EXPECT_EQ(run.result, message.empty()) << context;
    EXPECT_EQ(run.sink.messages, message.empty() ? Texts{} : Texts{std::string(message)}) << context;
    EXPECT_EQ(run.book.closed, message.empty()) << context;
    EXPECT_EQ(run.book.liveReferences, 0) << context;
    EXPECT_EQ(run.book.overReleases, 0) << context;
}

TEST(ReportWriter, ClosesTheWorkbookLastAndPassesThePathWhole)
{
    // Longer than the old 260-character limit, in every UTF-8 form; malformed bytes are replaced, not dropped.
    const std::pair<std::string, std::u16string> names[] = {
        {"TQ \xC3\xBC\xE2\x82\xAC \xF0\x9F\x93\x88.xls", u"TQ \u00FC\u20AC \U0001F4C8.xls"},
        {"a\xFFz", u"a\uFFFDz"},
        {"\xC3", u"\uFFFD"},                     // cut short at the end
        {"\xC0\xAF", u"\uFFFD\uFFFD"},           // an overlong '/'
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"}, // a lone surrogate
        {"\xF4\x8F\xBF\xBF", u"\U0010FFFF"},     // the last character there is
    };
    for (const auto& [name, wide] : names) {
        const auto run = RunWriter({}, "/reports/" + std::string(300, 'x') + "/" + name);
        ExpectEnd(*run, "", name);
        EXPECT_EQ(std::count(run->book.calls.begin(), run->book.calls.end(), "Close"), 1);
        EXPECT_EQ(run->book.calls.back(), "Close");
        EXPECT_EQ(run->book.workbookPath, u"/reports/" + std::u16string(300, u'x') + u"/" + wide);
    }
}

// A desktop toolkit may have set a locale with a decimal comma.
TEST(ReportWriter, MinutesKeepTheirDecimalPointInAnyLocale)
{
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
        GTEST_SKIP() << "no decimal-comma locale";
    const auto run = RunWriter();
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(run->book.cells[std::pair(14, 7)], "1.0m");
}

// Each step of a clean run in turn fails, or (for a step that hands out an
// interface) succeeds without one; the last step is the workbook's Close.
TEST(ReportWriter, AFailureAtAnyStepIsReportedOnceAndReleasesEverything)
{
    const std::string failed(k4::text::kXlsCreateFailedMessage);
    const auto clean = RunWriter();
    int fetches = 0;
    for (int step = 1; step <= static_cast<int>(clean->book.calls.size()); ++step) {
        const std::string name = std::to_string(step) + " " + clean->book.calls[step - 1];
        const auto failing = RunWriter({.failAt = step});
        ExpectEnd(*failing, failed, "failing call " + name);
        EXPECT_EQ(failing->book.calls.size(), static_cast<std::size_t>(step)) << "calls after " << name;
        if (name.find('+') != std::string::npos && ++fetches)
            ExpectEnd(*RunWriter({.nullAt = step}), failed, "no interface from call " + name);
    }
    EXPECT_GT(fetches, 100);

    const auto noEngine = RunWriter({.noEngine = true});
    ExpectEnd(*noEngine, failed, "Start without an engine");
    EXPECT_TRUE(noEngine->book.calls.empty());
}

TEST(ReportWriter, EmptyTableWritesNoFileAndSaysNothing)
{
    const auto run = RunWriter({}, "/reports/x.xls", 0);
    EXPECT_FALSE(run->result);
    EXPECT_TRUE(run->sink.messages.empty());
    EXPECT_EQ(std::count(run->book.calls.begin(), run->book.calls.end(), "Close"), 0);
    EXPECT_EQ(run->book.liveReferences + run->book.overReleases, 0);
}

TEST(ReportWriter, AComponentThatCannotBeUsedIsReportedAsMissing)
{
    namespace fs = std::filesystem;
    const fs::path folder = fs::path(::testing::TempDir()) / ("k4-report-no-component-" + std::to_string(getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    // No library at all (a file that is not one fails the same way), and one without the "Start" export.
    for (const std::string& programFolder :
         {folder.string(), std::string(), std::string(K4_TEST_COMPONENT_WITHOUT_START_DIR)}) {
        RecordingSink sink;
        EXPECT_FALSE(k4::WriteXlsReport(0, static_cast<std::uint16_t>(kMixedTable.size()), kMixedTable,
                                        (folder / "out").string(), sink, programFolder));
        EXPECT_EQ(sink.messages, Texts{std::string(k4::text::kComponentMissingMessage)})
            << "program folder " << programFolder;
    }
    EXPECT_FALSE(fs::exists(folder / "out.xls"));
    fs::remove_all(folder);
}

} // namespace
