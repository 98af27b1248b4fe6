#include <atomic>
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "tests/link/fakes.h"

namespace k4::test {
namespace {

constexpr std::uint16_t kVid = 0x10C4;
constexpr std::uint16_t kPid = 0xEA60;

struct WriterCall {
    std::uint16_t tableOffset;
    std::uint16_t tableLength;
    Bytes table;
    std::string basePath;
};

// Everything one pass runs against; the device, once attached, is bridge 100.
struct WorkerWorld {
    WorkerWorld()
    {
        settings = {kVid, kPid, /*pollIntervalMs=*/0, /*failedPollsBeforePrompt=*/10};
        writers.csv = Recorder(csvCalls, csvResult);
        writers.report = Recorder(reportCalls, reportResult);
    }

    PassOutcome Run() { return DownloadWorker(link, shell, settings, writers, run); }
    bool Download() { return DownloadLog(link, "/out/base", writers, shell); }

    void AttachDevice(std::uint8_t fileCount)
    {
        bridges.attached.push_back({kVid, kPid});
        channel.QueueBytes(CodeFrame(0, 0, {fileCount}));
    }
    void QueueImage(const Bytes& image)
    {
        channel.QueueBytes(CodeFrame(1, 0, image));
        channel.QueueBytes(CodeFrame(0, 0, {}));
    }

    static LogWriter Recorder(std::vector<WriterCall>& calls, const bool& result)
    {
        return [&calls, &result](std::uint16_t offset, std::uint16_t length, std::span<const std::uint8_t> table,
                                 std::string basePath, MessageSink&) {
            calls.push_back({offset, length, {table.begin(), table.end()}, basePath});
            return result;
        };
    }

    FakeBridgeLibrary bridges;
    FakeSerialChannel channel;
    RecordingSink linkMessages;
    DeviceLink link{bridges, channel, linkMessages};
    FakeShell shell;
    WorkerSettings settings;
    LogWriters writers;
    std::vector<WriterCall> csvCalls, reportCalls;
    bool csvResult = true, reportResult = true;
    std::atomic<bool> run{true};
};

// Log flag set; event table at 32, 4 bytes long; header words big-endian.
Bytes SampleImage()
{
    Bytes image(36, 0);
    image[0] = 0x01;
    image[7] = 0x20;
    image[9] = 0x04;
    std::copy_n(Pattern(4, 0xA1).begin(), 4, image.begin() + 32);
    return image;
}

std::vector<std::string> Searching(std::initializer_list<std::string> after)
{
    std::vector<std::string> lines;
    for (int position = 1; position <= 9; ++position)
        lines.push_back("progress " + std::to_string(position));
    lines.insert(lines.end(), after);
    return lines;
}

class WorkerTest : public testing::Test {
protected:
    WorkerWorld w;
};

TEST_F(WorkerTest, TenthFruitlessPollAsksAndOnlyExitEndsTheSearch)
{
    w.shell.notConnectedAnswers = {kDialogClosed, kNotConnectedExit};
    EXPECT_EQ(w.Run(), PassOutcome::NotConnected);

    std::vector<std::string> expected = Searching({"hide", "not connected", "progress 0", "show"});
    const auto second = Searching({"hide", "not connected", "quit"});
    expected.insert(expected.end(), second.begin(), second.end());
    EXPECT_EQ(w.shell.log, expected);
    EXPECT_FALSE(w.run);
}

TEST_F(WorkerTest, SkipsUnopenableAndForeignBridgesAndKeepsTheMatchOpen)
{
    w.bridges.attached = {{kVid, kPid, /*openFails=*/true}, {kVid, 0x0001}};
    w.AttachDevice(2);
    w.shell.dataFoundAnswer = kDataFoundCancel;
    std::map<BridgeHandle, int> closesAtPrompt;
    w.shell.onDataFound = [&] { closesAtPrompt = w.bridges.closes; };
    EXPECT_EQ(w.Run(), PassOutcome::Cancelled);

    EXPECT_EQ(w.bridges.calls, (std::vector<std::string>{"count", "open 0", "open 1", "vid 101", "pid 101",
                                                         "close 101", "open 2", "vid 102", "pid 102", "close 102"}));
    EXPECT_EQ(closesAtPrompt, (std::map<BridgeHandle, int>{{101, 1}}));
    EXPECT_EQ(w.channel.configured, std::vector<BridgeHandle>{102});
    EXPECT_EQ(w.shell.log, (std::vector<std::string>{"hide", "data found", "quit"}));
}

TEST_F(WorkerTest, BridgesWithOtherIdentifiersAreClosedAgain)
{
    const std::tuple<FakeBridge, std::uint32_t, std::uint32_t> cases[] = {
        {{kVid, kPid + 1}, kVid, kPid},        // same vendor, other product
        {{kVid, kPid}, kVid + 0x10000u, kPid}, // configured value above 16 bits
        {{0, 0}, 0, 0},                        // identifiers missing from the configuration
    };
    for (const auto& [bridge, vid, pid] : cases) {
        WorkerWorld world;
        world.bridges.attached = {bridge};
        world.settings.g_dwVid = vid;
        world.settings.g_dwPid = pid;
        EXPECT_EQ(world.Run(), PassOutcome::NotConnected);
        EXPECT_EQ(world.bridges.closes, (std::map<BridgeHandle, int>{{100, 10}}));
        EXPECT_TRUE(world.channel.configured.empty());
    }
}

TEST_F(WorkerTest, ConnectedPassEndsWithOneCloseOnEveryBranch)
{
    struct Case {
        std::uint8_t fileCount;
        int saveAnswer;
        bool silentDevice;
        PassOutcome outcome;
        std::vector<std::string> log;
    };
    const Case cases[] = {
        {0, kSaveFileSave, false, PassOutcome::DeviceEmpty, {"hide", "empty", "quit"}},
        {1, kSaveFileCancel, false, PassOutcome::Cancelled, {"hide", "data found", "save file", "quit"}},
        // Shown while the main window is still up.
        {1, kSaveFileSave, true, PassOutcome::FileCountFailed,
         {"message: Lost communication with the Pumpvisor Data Download Device, file count zero.", "quit"}},
    };
    for (const Case& c : cases) {
        WorkerWorld world;
        if (c.silentDevice)
            world.bridges.attached.push_back({kVid, kPid});
        else
            world.AttachDevice(c.fileCount);
        world.shell.saveFileAnswer = c.saveAnswer;
        EXPECT_EQ(world.Run(), c.outcome);
        EXPECT_EQ(world.shell.log, c.log);
        EXPECT_EQ(world.channel.writes, std::vector<Bytes>{kFileCountRequest}) << "no download";
        EXPECT_EQ(world.bridges.closes, (std::map<BridgeHandle, int>{{100, 1}}));
        EXPECT_FALSE(world.run);
    }
}

TEST_F(WorkerTest, SavedPassHandsHeaderWordsToBothWritersInHostOrder)
{
    w.AttachDevice(1);
    w.QueueImage(SampleImage());
    EXPECT_EQ(w.Run(), PassOutcome::Saved);

    EXPECT_EQ(w.shell.log, (std::vector<std::string>{"hide", "data found", "save file", "save complete", "quit"}));
    ASSERT_EQ(w.csvCalls.size(), 1u);
    ASSERT_EQ(w.reportCalls.size(), 1u);
    for (const WriterCall& call : {w.csvCalls[0], w.reportCalls[0]}) {
        EXPECT_EQ(call.tableOffset, 32);
        EXPECT_EQ(call.tableLength, 4);
        EXPECT_EQ(call.table, Pattern(4, 0xA1));
        EXPECT_EQ(call.basePath, "/data/pump7");
    }
    EXPECT_EQ(w.bridges.closes, (std::map<BridgeHandle, int>{{100, 1}}));
}

TEST_F(WorkerTest, ImageWithoutLogFlagIsAnUploadFailure)
{
    Bytes image = SampleImage();
    image[0] = 0;
    w.AttachDevice(1);
    w.QueueImage(image);
    EXPECT_EQ(w.Run(), PassOutcome::DownloadFailed);
    EXPECT_TRUE(w.csvCalls.empty());
    EXPECT_TRUE(w.reportCalls.empty());
    EXPECT_EQ(w.shell.log.end()[-2],
              "message: Lost communication with the Pumpvisor Data Download Device while uploading data.");
    EXPECT_EQ(w.shell.log.back(), "quit");
}

TEST_F(WorkerTest, RunFlagClearedFromOutsideEndsWithoutQuit)
{
    w.shell.onProgress = [&](int position) { w.run = position != 3; };
    EXPECT_EQ(w.Run(), PassOutcome::Stopped);
    EXPECT_EQ(w.shell.log, (std::vector<std::string>{"progress 1", "progress 2", "progress 3"}));

    // With a long poll interval the worker still notices at once.
    WorkerWorld slow;
    slow.settings.pollIntervalMs = 60'000;
    std::thread worker([&] { EXPECT_EQ(slow.Run(), PassOutcome::Stopped); });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const auto cleared = std::chrono::steady_clock::now();
    slow.run = false;
    worker.join();
    EXPECT_LT(std::chrono::steady_clock::now() - cleared, std::chrono::milliseconds(500));
    EXPECT_EQ(slow.shell.log, std::vector<std::string>{"progress 1"});
}

TEST_F(WorkerTest, DownloadLogResultIsTheReportWritersOrWithoutOneTheCsvWriters)
{
    w.link.AdoptBridge(100);
    w.reportResult = false;
    w.QueueImage(SampleImage());
    EXPECT_FALSE(w.Download());

    w.csvResult = false;
    w.reportResult = true;
    w.QueueImage(SampleImage());
    EXPECT_TRUE(w.Download());
    EXPECT_EQ(w.csvCalls.size(), 2u);

    w.writers.report = nullptr;
    w.QueueImage(SampleImage());
    EXPECT_FALSE(w.Download());
    w.csvResult = true;
    w.QueueImage(SampleImage());
    EXPECT_TRUE(w.Download());
    EXPECT_EQ(w.reportCalls.size(), 2u);
}

} // namespace
} // namespace k4::test
