// How the writer ends, well or not: on any failure one message, every
// reference released and no workbook closed.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "eventlog/event_codes.h"
#include "mock_xls_engine.h"
#include "platform/dynamic_library.h"
#include "report/xls_report.h"
#include "tests/eventlog/record_builder.h"
#include "common/texts.h"

namespace {

using mockxls::Book;
using mockxls::RunWriter;
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

void ExpectEverythingReleased(const mockxls::Run& run, const std::string& context)
{
    EXPECT_EQ(run.book.LiveReferences(), 0) << context;
    EXPECT_EQ(run.book.overReleases, 0) << context;
}

void ExpectCleanFailure(const mockxls::Run& run, const std::string& context)
{
    EXPECT_FALSE(run.result) << context;
    EXPECT_EQ(run.sink.messages, Messages{std::string(k4::text::kXlsCreateFailedMessage)}) << context;
    EXPECT_FALSE(run.book.closed) << context;
    ExpectEverythingReleased(run, context);
}

TEST(ReportWriter, ClosesTheWorkbookLastAndPassesALongPathWhole)
{
    // Longer than the old 260-character limit, and not ASCII.
    const std::string folder = "/reports/" + std::string(300, 'x') +
                               "/\xC3\x9C"
                               "berlauf";
    const auto run = RunWriter(MixedTable(), {}, folder + "/pump.xls");
    EXPECT_TRUE(run->result);
    EXPECT_TRUE(run->sink.messages.empty());
    EXPECT_EQ(run->book.closeCalls, 1);
    EXPECT_EQ(run->book.calls.back(), "Close");
    ExpectEverythingReleased(*run, "success");
    EXPECT_EQ(run->book.workbookPath, u"/reports/" + std::u16string(300, u'x') + u"/\u00DCberlauf/pump.xls");
}

// Each step of a clean run in turn fails, or (for a step that hands out an
// interface) succeeds without one; the last step is the workbook's Close.
TEST(ReportWriter, AFailureAtAnyStepIsReportedOnceAndReleasesEverything)
{
    const auto clean = RunWriter(MixedTable());
    const int steps = static_cast<int>(clean->book.calls.size());
    int fetches = 0;
    for (int step = 1; step <= steps; ++step) {
        const std::string name = std::to_string(step) + " " + clean->book.calls[step - 1];
        const auto failing = RunWriter(MixedTable(), [step](Book& b) { b.failAtCall = step; });
        ExpectCleanFailure(*failing, "failing call " + name);
        EXPECT_EQ(failing->book.calls.size(), static_cast<std::size_t>(step)) << "calls after " << name;
        if (clean->book.handsOut[step - 1]) {
            ++fetches;
            ExpectCleanFailure(*RunWriter(MixedTable(), [step](Book& b) { b.nullAtCall = step; }),
                               "no interface from call " + name);
        }
    }
    EXPECT_GT(fetches, 100);

    const auto noEngine = RunWriter(MixedTable(), [](Book& b) { b.startReturnsNull = true; });
    ExpectCleanFailure(*noEngine, "Start without an engine");
    EXPECT_TRUE(noEngine->book.calls.empty());
}

TEST(ReportWriter, EmptyTableWritesNoFileAndSaysNothing)
{
    const auto run = RunWriter(MixedTable(), {}, "/reports/x.xls", 0);
    EXPECT_FALSE(run->result);
    EXPECT_TRUE(run->sink.messages.empty());
    EXPECT_EQ(run->book.closeCalls, 0);
    ExpectEverythingReleased(*run, "empty table");
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
