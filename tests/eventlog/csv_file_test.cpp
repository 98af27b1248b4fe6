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
#include "tests/posix/scratch_folder.h"

namespace k4 {
namespace {

namespace fs = std::filesystem;

class RecordingMessages : public MessageSink {
public:
    void ShowMessage(std::string_view text) override { shown.emplace_back(text); }
    std::vector<std::string> shown;
};

std::size_t Entries(const fs::path& folder)
{
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

const test::TableBuilder kTable = test::TableBuilder().Stamped(EVT_DEFAULTS_RESTORED, 0).Empty();

// A base path of over 900 characters, an older and longer file of the same
// name, and a umask that leaves the usual 0644.
TEST(CsvFile, WritesCrLfLinesWholeReplacingAnOlderFile)
{
    k4test::ScratchFolder scratch;
    fs::path deep = scratch.Path();
    for (int i = 0; i < 12; ++i)
        deep /= std::string(60, static_cast<char>('a' + i));
    const std::string base = (deep / std::string(200, 'z')).string();
    scratch.Write(fs::path(base + ".csv").lexically_relative(scratch.Path()).string(),
                  "an older and much longer file that must not leave a tail behind\n");
    RecordingMessages messages;
    const mode_t old = ::umask(022);
    ASSERT_TRUE(WriteCsvFile(32, kTable.Length(), kTable.Table(), base, messages));
    ::umask(old);

    std::ifstream in(base + ".csv", std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "Event,Day,Hour,Minute,Condition,Fault,Parameter Value,Measure,L1,L2,L3,Measure,L1,L2,L3"
                          "\r\n0,0d,0h,0.0m,Defaults Restored,,,,,,,,,,\r\n1,No Data,,,,,,,,,,,,,\r\n");
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(Entries(deep), 1u) << "no temporary file left behind";
    struct stat info {};
    ASSERT_EQ(::stat((base + ".csv").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644u);
}

TEST(CsvFile, FailuresSayOnceAndLeaveWhatWasThere)
{
    const struct {
        const char* base;
        std::uint16_t length;
        std::size_t messages;
    } cases[] = {
        {"none", 0, 0}, // a zero-length table writes nothing and says nothing
        {"no-such-folder/log", kTable.Length(), 1},
        // The name is taken by a folder with a file in it: the rename fails.
        {"busy", kTable.Length(), 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.base);
        k4test::ScratchFolder scratch;
        scratch.Write("busy.csv/keep", "x");
        RecordingMessages messages;
        EXPECT_FALSE(WriteCsvFile(32, c.length, kTable.Table(), (scratch.Path() / c.base).string(), messages));
        ASSERT_EQ(messages.shown.size(), c.messages);
        EXPECT_TRUE(c.messages == 0 || messages.shown[0] == "Unable to create the comma-delimited output file.");
        EXPECT_EQ(Entries(scratch.Path()), 1u) << "no file, partial or temporary, left behind";
        EXPECT_TRUE(fs::exists(scratch.Path() / "busy.csv" / "keep"));
    }
}

} // namespace
} // namespace k4
