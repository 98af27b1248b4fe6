#include <atomic>

#include <gtest/gtest.h>

#include "tests/link/fakes.h"
#include "common/texts.h"

namespace k4::test {
namespace {

constexpr std::uint16_t kVid = 0x10C4;
constexpr std::uint16_t kPid = 0xEA60;

struct WriterCall {
    std::string writer;
    std::uint16_t tableOffset;
    std::uint16_t tableLength;
    Bytes table;
    std::string basePath;
    bool operator==(const WriterCall&) const = default;
};

// Everything one pass runs against; the device, once attached, is bridge 100.
struct WorkerWorld {
    PassOutcome Run() { return DownloadWorker(link, shell, settings, writers, run); }

    void AttachDevice(std::uint8_t fileCount)
    {
        bridges.attached.push_back({kVid, kPid});
        channel.QueueBytes(CodeFrame(0, 0, {fileCount}));
    }
    // A one-frame image: the log flag; event table at 32, 4 bytes long; header words big-endian.
    void QueueImage(std::uint8_t logFlag)
    {
        Bytes image(32, 0);
        image[0] = logFlag;
        image[7] = 0x20;
        image[9] = 0x04;
        const Bytes table = Pattern(4, 0xA1);
        image.insert(image.end(), table.begin(), table.end());
        channel.QueueBytes(CodeFrame(1, 0, image));
        channel.QueueBytes(CodeFrame(0, 0, {}));
    }
    LogWriter Recorder(std::string writer)
    {
        return [this, writer](std::uint16_t offset, std::uint16_t length, std::span<const std::uint8_t> table,
                              std::string basePath, MessageSink&) {
            writerCalls.push_back({writer, offset, length, {table.begin(), table.end()}, basePath});
            return true;
        };
    }

    FakeBridgeLibrary bridges;
    FakeSerialChannel channel;
    RecordingSink linkMessages;
    DeviceLink link{bridges, channel, linkMessages, &run};
    FakeShell shell;
    WorkerSettings settings{kVid, kPid, /*pollIntervalMs=*/0, /*failedPollsBeforePrompt=*/10};
    std::vector<WriterCall> writerCalls;
    LogWriters writers{Recorder("csv"), Recorder("report"), {}};
    std::atomic<bool> run{true};
};

TEST(WorkerTest, TenthFruitlessPollAsksAndOnlyExitEndsTheSearch)
{
    WorkerWorld w;
    w.shell.answers["not connected"] = {int(NotConnectedChoice::Closed), int(NotConnectedChoice::Exit)};
    EXPECT_EQ(w.Run(), PassOutcome::NotConnected);

    std::vector<std::string> series;
    for (int position = 1; position <= 9; ++position)
        series.push_back("progress " + std::to_string(position));
    std::vector<std::string> expected = series;
    expected.insert(expected.end(), {"hide", "not connected", "progress 0", "show"});
    expected.insert(expected.end(), series.begin(), series.end());
    expected.insert(expected.end(), {"hide", "not connected", "quit"});
    EXPECT_EQ(w.shell.log, expected);
    EXPECT_FALSE(w.run);
}

TEST(WorkerTest, SkipsUnopenableAndForeignBridgesAndKeepsTheMatchOpen)
{
    WorkerWorld w;
    w.bridges.attached = {{kVid, kPid, /*openFails=*/true}, {kVid, 0x0001}};
    w.AttachDevice(0);
    EXPECT_EQ(w.Run(), PassOutcome::DeviceEmpty);

    // The match is closed once, at the end of the pass.
    EXPECT_EQ(w.bridges.calls, (std::vector<std::string>{"count", "open 0", "open 1", "vid 101", "pid 101", "close 101",
                                                         "open 2", "vid 102", "pid 102", "close 102"}));
    EXPECT_EQ(w.channel.configured, std::vector<BridgeHandle>{102});
}

TEST(WorkerTest, ListedForeignBridgesAreNeverOpened)
{
    WorkerWorld w;
    w.bridges.listsIds = true;
    w.bridges.attached = {{kVid, 0x0001}};
    w.AttachDevice(0);
    EXPECT_EQ(w.Run(), PassOutcome::DeviceEmpty);
    EXPECT_EQ(w.bridges.calls,
              (std::vector<std::string>{"count", "listed 0", "listed 1", "open 1", "vid 101", "pid 101", "close 101"}));
}

TEST(WorkerTest, BridgesWithOtherIdentifiersAreClosedAgain)
{
    const std::tuple<FakeBridge, std::uint32_t, std::uint32_t> cases[] = {
        {{kVid, kPid + 1}, kVid, kPid},        // same vendor, other product
        {{kVid, kPid}, kVid + 0x10000u, kPid}, // configured value above 16 bits
        {{0, 0}, 0, 0},                        // identifiers missing from the configuration
    };
    for (const auto& [bridge, vid, pid] : cases) {
        WorkerWorld w;
        w.bridges.attached = {bridge};
        w.settings.m_dwVid = vid;
        w.settings.m_dwPid = pid;
        EXPECT_EQ(w.Run(), PassOutcome::NotConnected);
        EXPECT_EQ(w.bridges.closes, (std::map<BridgeHandle, int>{{100, 10}}));
        EXPECT_TRUE(w.channel.configured.empty());
    }
}

TEST(WorkerTest, ConnectedPassEndsWithOneCloseOnEveryBranch)
{
    struct Case {
        int fileCount; // -1: the device does not answer
        int dataFoundAnswer;
        int saveAnswer;
        PassOutcome outcome;
        std::vector<std::string> log;
    };
    const Case cases[] = {
        {0,
         int(DataFoundChoice::Download),
         int(SaveFileResult::Save),
         PassOutcome::DeviceEmpty,
         {"hide", "empty", "quit"}},
        {1,
         int(DataFoundChoice::Cancel),
         int(SaveFileResult::Save),
         PassOutcome::Cancelled,
         {"hide", "data found", "quit"}},
        {1,
         int(DataFoundChoice::Download),
         int(SaveFileResult::Cancel),
         PassOutcome::Cancelled,
         {"hide", "data found", "save file", "quit"}},
        // Shown while the main window is still up.
        {-1,
         int(DataFoundChoice::Download),
         int(SaveFileResult::Save),
         PassOutcome::FileCountFailed,
         {"message: " + std::string(text::kFileCountLostMessage), "quit"}},
    };
    for (const Case& c : cases) {
        WorkerWorld w;
        w.bridges.attached.push_back({kVid, kPid});
        if (c.fileCount >= 0)
            w.channel.QueueBytes(CodeFrame(0, 0, {static_cast<std::uint8_t>(c.fileCount)}));
        w.shell.answers = {{"data found", {c.dataFoundAnswer}}, {"save file", {c.saveAnswer}}};
        EXPECT_EQ(w.Run(), c.outcome);
        EXPECT_EQ(w.shell.log, c.log);
        EXPECT_EQ(w.channel.writes, std::vector<Bytes>{kFileCountRequest}) << "no download";
        EXPECT_EQ(w.bridges.closes, (std::map<BridgeHandle, int>{{100, 1}}));
        EXPECT_FALSE(w.run);
    }
}

TEST(WorkerTest, SavedPassHandsHeaderWordsToBothWritersInHostOrder)
{
    WorkerWorld w;
    w.AttachDevice(1);
    w.QueueImage(1);
    EXPECT_EQ(w.Run(), PassOutcome::Saved);

    EXPECT_EQ(w.shell.log, (std::vector<std::string>{"hide", "data found", "save file", "save complete", "quit"}));
    const Bytes table = Pattern(4, 0xA1);
    EXPECT_EQ(w.writerCalls,
              (std::vector<WriterCall>{{"csv", 32, 4, table, "/data/pump7"}, {"report", 32, 4, table, "/data/pump7"}}));
    EXPECT_EQ(w.bridges.closes, (std::map<BridgeHandle, int>{{100, 1}}));
}

TEST(WorkerTest, ImageWithoutLogFlagIsAnUploadFailure)
{
    WorkerWorld w;
    w.AttachDevice(1);
    w.QueueImage(/*logFlag=*/0);
    EXPECT_EQ(w.Run(), PassOutcome::DownloadFailed);
    EXPECT_TRUE(w.writerCalls.empty());
    EXPECT_EQ(w.shell.log.end()[-2], "message: " + std::string(text::kUploadLostMessage));
    EXPECT_EQ(w.shell.log.back(), "quit");
}

TEST(WorkerTest, RunFlagClearedFromOutsideEndsWithoutQuit)
{
    WorkerWorld w;
    w.shell.onProgress = [&](int position) { w.run = position != 3; };
    EXPECT_EQ(w.Run(), PassOutcome::Stopped);
    EXPECT_EQ(w.shell.log, (std::vector<std::string>{"progress 1", "progress 2", "progress 3"}));
}

// Closing the program at any step of the connected phase: the step under way
// gives up at once, nothing more is shown or sent, the bridge is closed once
// and no quit is posted (the front end is ending already). Writers that have
// begun both finish.
TEST(WorkerTest, RunFlagClearedWhileConnectedEndsInSilence)
{
    enum class At { FileCountRead, DataFound, SaveFile, Transfer, CsvWriter };
    struct Case {
        At at;
        std::vector<std::string> log;
        std::vector<Bytes> writes;
        std::vector<std::string> writers;
    };
    const Case cases[] = {
        {At::FileCountRead, {}, {kFileCountRequest}, {}},
        {At::DataFound, {"hide", "data found"}, {kFileCountRequest}, {}},
        {At::SaveFile, {"hide", "data found", "save file"}, {kFileCountRequest}, {}},
        {At::Transfer, {"hide", "data found", "save file"}, {kFileCountRequest, kDownloadRequest, kAckWire}, {}},
        {At::CsvWriter,
         {"hide", "data found", "save file"},
         {kFileCountRequest, kDownloadRequest, kAckWire},
         {"csv", "report"}},
    };
    for (const Case& c : cases) {
        WorkerWorld w;
        w.bridges.attached.push_back({kVid, kPid});
        if (c.at != At::FileCountRead) {
            w.channel.QueueBytes(CodeFrame(0, 0, {1}));
            w.QueueImage(1);
        }
        if (c.at == At::Transfer)
            w.channel.script.resize(w.channel.script.size() - 5); // the end frame never comes
        const int firstSilentRead = static_cast<int>(w.channel.script.size()) + 1;
        w.channel.onRead = [&](int reads) {
            if (reads == firstSilentRead + 3 && (c.at == At::FileCountRead || c.at == At::Transfer))
                w.run = false;
        };
        w.shell.onPrompt = [&](const std::string& prompt) {
            if ((prompt == "data found" && c.at == At::DataFound) || (prompt == "save file" && c.at == At::SaveFile))
                w.run = false;
        };
        w.writers.csv = [&, recorder = w.Recorder("csv")](auto&&... args) {
            w.run = c.at != At::CsvWriter;
            return recorder(std::forward<decltype(args)>(args)...);
        };

        EXPECT_EQ(w.Run(), PassOutcome::Stopped);
        EXPECT_EQ(w.shell.log, c.log);
        EXPECT_EQ(w.channel.writes, c.writes);
        std::vector<std::string> writers;
        for (const WriterCall& call : w.writerCalls)
            writers.push_back(call.writer);
        EXPECT_EQ(writers, c.writers);
        EXPECT_LE(w.channel.readCalls, firstSilentRead + 3) << "gave up between two reads";
        EXPECT_TRUE(w.linkMessages.shown.empty());
        EXPECT_EQ(w.bridges.closes, (std::map<BridgeHandle, int>{{100, 1}}));
    }
}

} // namespace
} // namespace k4::test
