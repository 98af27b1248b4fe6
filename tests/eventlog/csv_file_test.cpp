#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "eventlog/csv_writer.h"
#include "eventlog/event_codes.h"
#include "record_builder.h"

namespace k4 {
namespace {

namespace fs = std::filesystem;

class RecordingMessages : public MessageSink {
public:
    void ShowMessage(std::string_view text) override { shown.emplace_back(text); }
    std::vector<std::string> shown;
};

class CsvFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = fs::temp_directory_path() / ("k4csv-" + std::to_string(::getpid()) + "-" +
                                              ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
        table.Stamped(EVT_DEFAULTS_RESTORED, 0).Empty();
    }
    void TearDown() override { fs::remove_all(folder); }

    bool Write(const std::string& base) { return WriteCsvFile(32, table.Length(), table.Table(), base, messages); }

    static std::string Slurp(const fs::path& p)
    {
        std::ifstream in(p, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    std::vector<fs::path> Entries() const
    {
        std::vector<fs::path> found;
        for (const auto& e : fs::directory_iterator(folder))
            found.push_back(e.path().filename());
        return found;
    }

    fs::path folder;
    test::TableBuilder table;
    RecordingMessages messages;
};

TEST_F(CsvFile, WritesCrLfLinesAndReplacesAnOlderFile)
{
    const fs::path target = folder / "log.csv";
    std::ofstream(target) << "an older and much longer file that must not leave a tail behind\n";
    ASSERT_TRUE(Write((folder / "log").string()));
    EXPECT_EQ(Slurp(target), "Event,Day,Hour,Minute,Condition,Fault,Parameter Value,Measure,L1,L2,L3,Measure,L1,L2,L3"
                             "\r\n0,0d,0h,0.0m,Defaults Restored,,,,,,,,,,\r\n1,No Data,,,,,,,,,,,,,\r\n");
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(Entries().size(), 1u) << "no temporary file left behind";
}

TEST_F(CsvFile, NewFilesGetTheUsersNormalPermissions)
{
    const mode_t old = ::umask(022);
    ASSERT_TRUE(Write((folder / "perm").string()));
    ::umask(old);
    struct stat info {};
    ASSERT_EQ(::stat((folder / "perm.csv").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644u);
}

TEST_F(CsvFile, ZeroLengthTableWritesNothingAndSaysNothing)
{
    EXPECT_FALSE(WriteCsvFile(32, 0, table.Table(), (folder / "none").string(), messages));
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_TRUE(Entries().empty());
}

TEST_F(CsvFile, AMissingFolderIsReportedOnce)
{
    EXPECT_FALSE(Write((folder / "no-such-folder" / "log").string()));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0], "Unable to create the comma-delimited output file.");
}

TEST_F(CsvFile, AFailedReplaceKeepsWhatWasThere)
{
    // The target name is taken by a folder with a file in it: the rename
    // fails, and neither the folder nor a partial file may be left changed.
    fs::create_directories(folder / "busy.csv");
    std::ofstream(folder / "busy.csv" / "keep") << "x";
    EXPECT_FALSE(Write((folder / "busy").string()));
    EXPECT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(fs::is_directory(folder / "busy.csv"));
    EXPECT_TRUE(fs::exists(folder / "busy.csv" / "keep"));
    EXPECT_EQ(Entries().size(), 1u) << "no temporary file left behind";
}

TEST_F(CsvFile, LongBasePathsAreWrittenWhole)
{
    fs::path deep = folder;
    for (int i = 0; i < 12; ++i)
        deep /= std::string(60, static_cast<char>('a' + i));
    fs::create_directories(deep);
    const std::string base = (deep / std::string(200, 'z')).string();
    ASSERT_GT(base.size(), 900u);
    ASSERT_TRUE(Write(base));
    EXPECT_TRUE(fs::exists(base + ".csv"));
}

} // namespace
} // namespace k4
