// How the writer ends, well or not: on any failure one message, every
// reference released and no workbook closed.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "common/texts.h"
#include "eventlog/event_codes.h"
#include "mock_xls_engine.h"
#include "platform/dynamic_library.h"
#include "report/xls_report.h"
#include "tests/eventlog/record_builder.h"

namespace {

using Messages = std::vector<std::string>;

// One record of each shape the rows distinguish, so that every kind of
// call the writer makes is among the steps.
std::vector<std::uint8_t> MixedTable()
{
    k4::test::TableBuilder b;
    b.Measurement(k4::EVT_SWITCH_ON, 10, 1, {3680, 3696, 3664}, {200, 208, 192})
        .Measurement(k4::EVT_TRIP_OVERLOAD, 20, 0, {3680, 3696, 3664}, {200, 208, 192})
        .Empty()
        .Parameter(k4::EVT_PROTECTION_CHANGE, 30, 7, 0x41)
        .Stamped(k4::EVT_DEFAULTS_RESTORED, 40);
    return b.Table();
}

// A run ends with `message` (none: success), its workbook closed only on success, every reference released.
void ExpectEnd(const mockxls::Run& run, std::string_view message, const std::string& context)
{
    EXPECT_EQ(run.result, message.empty()) << context;
    EXPECT_EQ(run.sink.messages, message.empty() ? Messages{} : Messages{std::string(message)}) << context;
    EXPECT_EQ(run.book.closed, message.empty()) << context;
    EXPECT_EQ(run.book.LiveReferences(), 0) << context;
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
    };
    for (const auto& [name, wide] : names) {
        const auto run = mockxls::RunWriter(MixedTable(), {}, "/reports/" + std::string(300, 'x') + "/" + name);
        ExpectEnd(*run, "", name);
        EXPECT_EQ(run->book.closeCalls, 1);
        EXPECT_EQ(run->book.calls.back(), "Close");
        EXPECT_EQ(run->book.workbookPath, u"/reports/" + std::u16string(300, u'x') + u"/" + wide);
    }
}

// Each step of a clean run in turn fails, or (for a step that hands out an
// interface) succeeds without one; the last step is the workbook's Close.
TEST(ReportWriter, AFailureAtAnyStepIsReportedOnceAndReleasesEverything)
{
    const std::string failed(k4::text::kXlsCreateFailedMessage);
    const auto clean = mockxls::RunWriter(MixedTable());
    int fetches = 0;
    for (int step = 1; step <= static_cast<int>(clean->book.calls.size()); ++step) {
        const std::string name = std::to_string(step) + " " + clean->book.calls[step - 1];
        const auto failing = mockxls::RunWriter(MixedTable(), [step](mockxls::Book& b) { b.failAtCall = step; });
        ExpectEnd(*failing, failed, "failing call " + name);
        EXPECT_EQ(failing->book.calls.size(), static_cast<std::size_t>(step)) << "calls after " << name;
        if (clean->book.handsOut[step - 1] && ++fetches)
            ExpectEnd(*mockxls::RunWriter(MixedTable(), [step](mockxls::Book& b) { b.nullAtCall = step; }), failed,
                      "no interface from call " + name);
    }
    EXPECT_GT(fetches, 100);

    const auto noEngine = mockxls::RunWriter(MixedTable(), [](mockxls::Book& b) { b.startReturnsNull = true; });
    ExpectEnd(*noEngine, failed, "Start without an engine");
    EXPECT_TRUE(noEngine->book.calls.empty());
}

TEST(ReportWriter, EmptyTableWritesNoFileAndSaysNothing)
{
    const auto run = mockxls::RunWriter(MixedTable(), {}, "/reports/x.xls", 0);
    EXPECT_FALSE(run->result);
    EXPECT_TRUE(run->sink.messages.empty());
    EXPECT_EQ(run->book.closeCalls, 0);
    EXPECT_EQ(run->book.LiveReferences() + run->book.overReleases, 0);
}

TEST(ReportWriter, AComponentThatCannotBeUsedIsReportedAsMissing)
{
    namespace fs = std::filesystem;
    const fs::path folder = fs::path(::testing::TempDir()) / ("k4-report-no-component-" + std::to_string(getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder / "not-a-library");
    std::ofstream(folder / "not-a-library" / k4::SharedLibraryFileName("k4xls")) << "not a shared library";
    const auto table = MixedTable();

    for (const std::string& programFolder : {folder.string(), std::string(), (folder / "not-a-library").string(),
                                             std::string(K4_TEST_COMPONENT_WITHOUT_START_DIR)}) {
        mockxls::RecordingSink sink;
        EXPECT_FALSE(k4::WriteXlsReport(0, static_cast<std::uint16_t>(table.size()), table, (folder / "out").string(),
                                        sink, programFolder));
        EXPECT_EQ(sink.messages, Messages{std::string(k4::text::kComponentMissingMessage)})
            << "program folder " << programFolder;
    }
    EXPECT_FALSE(fs::exists(folder / "out.xls"));
    fs::remove_all(folder);
}

} // namespace
