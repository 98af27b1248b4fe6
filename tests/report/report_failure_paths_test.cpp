// How the writer ends when something goes wrong: the one message, every
// reference released, no workbook closed.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "event_table_builder.h"
#include "mock_report_run.h"
#include "platform/dynamic_library.h"
#include "report/xls_report.h"

namespace {

using namespace k4test;
namespace fs = std::filesystem;

// A short table with one record of each shape the rows distinguish.
std::vector<std::uint8_t> MixedTable()
{
    EventTableBuilder b;
    b.Measurement(k4::EVT_POWER_UP_DELAY, 10)
        .Measurement(k4::EVT_TRIP_OVERLOAD, 20, {3680, 3696, 3664}, {200, 208, 192}, 0)
        .Empty()
        .Parameter(k4::EVT_PROTECTION_CHANGE, 30, 7, 0x41)
        .Parameter(k4::EVT_MOTOR_CHANGE, 40, 1, 2)
        .Plain(k4::EVT_DEFAULTS_RESTORED, 50);
    return b.Table();
}

void ExpectCleanFailure(const MockRun& run, const std::string& context)
{
    EXPECT_FALSE(run.result) << context;
    ASSERT_EQ(run.sink.messages.size(), 1u) << context;
    EXPECT_EQ(run.sink.messages[0], k4::kXlsCreateFailedMessage) << context;
    EXPECT_EQ(run.book.LiveReferences(), 0) << context;
    EXPECT_EQ(run.book.overReleases, 0) << context;
    EXPECT_FALSE(run.book.closed) << context;
}

TEST(ReportFailurePaths, SuccessfulReportIsClosedOnceAndHoldsNothingAfterwards)
{
    const auto run = RunWriter(MixedTable());
    EXPECT_TRUE(run->result);
    EXPECT_TRUE(run->sink.messages.empty());
    EXPECT_EQ(run->book.closeCalls, 1);
    EXPECT_EQ(run->book.LiveReferences(), 0);
    EXPECT_EQ(run->book.overReleases, 0);
    EXPECT_EQ(run->book.callNames.back(), "Workbook::Close");
}

TEST(ReportFailurePaths, AFailingCallAtAnyStepIsReportedOnceAndReleasesEverything)
{
    const auto clean = RunWriter(MixedTable());
    ASSERT_TRUE(clean->result);
    for (int step = 1; step <= clean->book.calls; ++step) {
        const auto run = RunWriter(MixedTable(), [step](mockxls::MockBook& b) { b.failAtCall = step; });
        ExpectCleanFailure(*run, "failing call " + std::to_string(step) + " " + clean->book.callNames[step - 1]);
        // Nothing runs after the failing call.
        EXPECT_EQ(run->book.calls, step);
    }
}

TEST(ReportFailurePaths, AMissingInterfaceAtAnyStepIsReportedLikeAFailure)
{
    const auto clean = RunWriter(MixedTable());
    int fetches = 0;
    for (int step = 1; step <= clean->book.calls; ++step) {
        if (!clean->book.callHandsOut[step - 1])
            continue;
        ++fetches;
        const auto run = RunWriter(MixedTable(), [step](mockxls::MockBook& b) { b.nullAtCall = step; });
        ExpectCleanFailure(*run, "no interface from call " + std::to_string(step) + " " +
                                     clean->book.callNames[step - 1]);
    }
    EXPECT_GT(fetches, 100);

    const auto noEngine = RunWriter(MixedTable(), [](mockxls::MockBook& b) { b.startReturnsNull = true; });
    ExpectCleanFailure(*noEngine, "Start without an engine");
    EXPECT_EQ(noEngine->book.calls, 0);
}

TEST(ReportFailurePaths, AFailingCloseIsAFailure)
{
    const auto clean = RunWriter(MixedTable());
    const auto run = RunWriter(MixedTable(), [&](mockxls::MockBook& b) { b.failAtCall = clean->book.calls; });
    EXPECT_EQ(run->book.closeCalls, 1);
    ExpectCleanFailure(*run, "close");
}

TEST(ReportFailurePaths, EmptyTableBuildsTheHeaderButWritesNoFileAndSaysNothing)
{
    const auto run = RunWriter(MixedTable(), {}, "/reports/x.xls", 0);
    EXPECT_FALSE(run->result);
    EXPECT_TRUE(run->sink.messages.empty());
    EXPECT_EQ(run->book.closeCalls, 0);
    EXPECT_EQ(run->book.LiveReferences(), 0);
    EXPECT_EQ(run->book.overReleases, 0);
    ASSERT_NE(run->book.CellAt(12, 25), nullptr); // the headings were written
    EXPECT_EQ(run->book.CellAt(13, 1), nullptr);
}

TEST(ReportFailurePaths, PathsLongerThanTheOldLimitReachTheComponentWhole)
{
    const std::string folder = "/reports/" + std::string(300, 'x') + "/Überlauf";
    const auto run = RunWriter(MixedTable(), {}, folder + "/pump.xls");
    EXPECT_TRUE(run->result);
    EXPECT_EQ(run->book.workbookPath, folder + "/pump.xls");
}

class ComponentLoading : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder = fs::path(::testing::TempDir()) /
                   ("k4-report-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(m_folder);
        fs::create_directories(m_folder);
    }
    void TearDown() override { fs::remove_all(m_folder); }

    bool Write(const std::string& programFolder)
    {
        const auto table = MixedTable();
        return k4::WriteXlsReport(0, static_cast<std::uint16_t>(table.size()), table,
                                  (m_folder / "out").string(), m_sink, programFolder);
    }

    fs::path m_folder;
    RecordingSink m_sink;
};

TEST_F(ComponentLoading, MissingComponentIsReportedAndNothingIsWritten)
{
    EXPECT_FALSE(Write(m_folder.string()));
    ASSERT_EQ(m_sink.messages.size(), 1u);
    EXPECT_EQ(m_sink.messages[0], k4::kComponentMissingMessage);
    EXPECT_FALSE(fs::exists(m_folder / "out.xls"));
}

TEST_F(ComponentLoading, UnknownProgramFolderIsAMissingComponent)
{
    EXPECT_FALSE(Write(""));
    ASSERT_EQ(m_sink.messages.size(), 1u);
    EXPECT_EQ(m_sink.messages[0], k4::kComponentMissingMessage);
}

TEST_F(ComponentLoading, ComponentWithoutStartIsAMissingComponent)
{
    EXPECT_FALSE(Write(K4_TEST_COMPONENT_WITHOUT_START_DIR));
    ASSERT_EQ(m_sink.messages.size(), 1u);
    EXPECT_EQ(m_sink.messages[0], k4::kComponentMissingMessage);
}

TEST_F(ComponentLoading, ComponentThatIsNotALibraryIsAMissingComponent)
{
    std::ofstream(m_folder / "libk4xls.so") << "not a shared library";
    EXPECT_FALSE(Write(m_folder.string()));
    ASSERT_EQ(m_sink.messages.size(), 1u);
    EXPECT_EQ(m_sink.messages[0], k4::kComponentMissingMessage);
}

TEST(DynamicLibrary, ABareNameIsNeverLookedUpInTheSystemFolders)
{
    // The C library is always loadable by its bare name through the
    // system's search; the component must only ever come from our folder.
    k4::DynamicLibrary library;
    EXPECT_FALSE(library.Load("libc.so.6"));
    EXPECT_FALSE(library.IsLoaded());
}

} // namespace
