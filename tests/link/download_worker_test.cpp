#include <atomic>

#include <gtest/gtest.h>

#include "tests/link/fakes.h"
#include "common/texts.h"

namespace k4::test {
namespace {

constexpr std::uint16_t kVid = 0x10C4;
constexpr std::uint16_t kPid = 0xEA60;

// Everything one pass runs against; the device, once attached, is bridge 100.
struct WorkerWorld {
    PassOutcome Run() { return DownloadWorker(link, shell, settings, writers, run); }

    LogWriter Recorder(std::string writer)
    {
        return [this, writer](std::uint16_t offset, std::uint16_t length, std::span<const std::uint8_t> table,
                              std::string basePath, MessageSink&) {
            std::string call = writer + " " + std::to_string(offset) + " " + std::to_string(length) + " ";
            for (std::uint8_t byte : table)
                call += std::to_string(byte) + " ";
            writerCalls.push_back(call + basePath);
            return true;
        };
    }

    FakeBridgeLibrary bridges;
    FakeSerialChannel channel;
    RecordingSink linkMessages;
    DeviceLink link{bridges, channel, linkMessages, &run};
    FakeShell shell;
    WorkerSettings settings{kVid, kPid, /*pollIntervalMs=*/0, /*failedPollsBeforePrompt=*/10};
    std::vector<std::string> writerCalls; // writer, offset, length, table bytes, base path
    LogWriters writers{Recorder("csv"), Recorder("report"), {}};
    std::atomic<bool> run{true};
};

TEST(WorkerTest, TenthFruitlessPollAsksAndOnlyExitEndsTheSearch)
{
    WorkerWorld w;
    w.shell.answers["not connected"] = {int(NotConnectedChoice::Closed), int(NotConnectedChoice::Exit)};
    EXPECT_EQ(w.Run(), PassOutcome::NotConnected);
    std::string series;
    for (int position = 1; position <= 9; ++position)
        series += "progress " + std::to_string(position) + ", ";
    EXPECT_EQ(Joined(w.shell.log),
              series + "hide, not connected, progress 0, show, " + series + "hide, not connected, quit");
    EXPECT_FALSE(w.run);
}

// Which bridges are opened, and closed again: the match stays open to the
// end of the pass and is closed once; others close at once, every poll.
TEST(WorkerTest, BridgeSearch)
{
    // Unopenable, then another product, then the unit; and the same listed.
    const char* const opened =
        "count, open 0, open 1, vid 101, pid 101, close 101, open 2, vid 102, pid 102, close 102";
    const char* const listed = "count, listed 0, listed 1, open 1, vid 101, pid 101, close 101";
    const struct {
        std::vector<FakeBridge> attached;
        bool listsIds;
        std::uint32_t vid, pid; // as configured
        const char* calls;      // all of them when found, else of the first poll
        std::map<BridgeHandle, int> closes;
    } cases[] = {
        {{{kVid, kPid, true}, {kVid, 1}, {kVid, kPid}}, false, kVid, kPid, opened, {{101, 1}, {102, 1}}},
        {{{kVid, 1}, {kVid, kPid}}, true, kVid, kPid, listed, {{101, 1}}}, // foreign ones are never opened
        {{{kVid, kPid + 1}}, false, kVid, kPid, "count, open 0, vid 100, pid 100, close 100, ", {{100, 10}}},
        // A configured value above 16 bits; identifiers missing from the
        // configuration match nothing, not even an identifier read as 0.
        {{{kVid, kPid}}, false, kVid + 0x10000u, kPid, "", {{100, 10}}},
        {{{kVid, 0}}, false, kVid, 0, "", {{100, 10}}},
    };
    for (const auto& c : cases) {
        WorkerWorld w;
        w.bridges.attached = c.attached;
        w.bridges.listsIds = c.listsIds;
        w.settings.m_dwVid = c.vid;
        w.settings.m_dwPid = c.pid;
        w.channel.QueueBytes(CodeFrame(0, 0, {0}));
        const bool found = c.closes.begin()->second == 1;
        EXPECT_EQ(w.Run(), found ? PassOutcome::DeviceEmpty : PassOutcome::NotConnected);
        EXPECT_EQ(Joined(w.bridges.calls).substr(0, std::string_view(c.calls).size()), c.calls);
        EXPECT_EQ(w.bridges.closes, c.closes);
        EXPECT_EQ(w.channel.configured.size(), found ? 1u : 0u);
    }
}

// What the link wrote, by name.
std::string Sent(const std::vector<Bytes>& writes)
{
    std::string names;
    for (const Bytes& w : writes)
        names += w == kFileCountRequest  ? "count "
                 : w == kDownloadRequest ? "download "
                 : w == kAckWire         ? "ack "
                                         : "? ";
    return names;
}

// One pass from the unit's first answer to its end, the bridge closed once.
// `stopAt` is where the run flag is cleared from outside: at a prompt, on the
// fourth silent read, or in the CSV writer. The step under way then gives up
// at once, nothing more is shown or sent and no quit is posted (the front
// end is ending already); writers that have begun both finish.
TEST(WorkerTest, Passes)
{
    // What the unit does after the file-count request: nothing, count 0,
    // count 1 and the log, the log without its flag, or stopping before the
    // end frame.
    enum Unit { Silent, Empty, Log, Unflagged, Cut };
    using O = PassOutcome;
    const struct {
        Unit unit;
        const char* answers; // to Data Found and Save File
        const char* stopAt;
        O outcome;
        const char* log;
        const char* sent;
        const char* writers;
    } cases[] = {
        {Empty, "yy", "", O::DeviceEmpty, "hide, empty, quit", "count ", ""},
        {Log, "ny", "", O::Cancelled, "hide, data found, quit", "count ", ""},
        {Log, "yn", "", O::Cancelled, "hide, data found, save file, quit", "count ", ""},
        // Shown while the main window is still up.
        {Silent, "yy", "", O::FileCountFailed, "message: FileCountLost, quit", "count ", ""},
        {Log, "yy", "", O::Saved, "hide, data found, save file, save complete, quit", "count download ack ",
         "csv report"},
        {Unflagged, "yy", "", O::DownloadFailed, "hide, data found, save file, message: UploadLost, quit",
         "count download ack ", ""},
        {Silent, "yy", "read", O::Stopped, "", "count ", ""},
        {Log, "yy", "data found", O::Stopped, "hide, data found", "count ", ""},
        {Log, "yy", "save file", O::Stopped, "hide, data found, save file", "count ", ""},
        {Cut, "yy", "read", O::Stopped, "hide, data found, save file", "count download ack ", ""},
        {Log, "yy", "csv", O::Stopped, "hide, data found, save file", "count download ack ", "csv report"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.log);
        WorkerWorld w;
        w.bridges.attached.push_back({kVid, kPid});
        if (c.unit == Empty)
            w.channel.QueueBytes(CodeFrame(0, 0, {0}));
        if (c.unit >= Log)
            QueueOneFileLog(w.channel, c.unit == Unflagged ? 0 : 1);
        if (c.unit == Cut)
            w.channel.script.resize(w.channel.script.size() - 5); // the end frame never comes
        w.shell.answers = {{"data found", {c.answers[0] == 'y' ? 1 : 0}}, {"save file", {c.answers[1] == 'y' ? 1 : 2}}};
        const std::string stopAt = c.stopAt;
        const int firstSilentRead = static_cast<int>(w.channel.script.size()) + 1;
        w.channel.onRead = [&](int reads) { w.run = w.run && !(stopAt == "read" && reads == firstSilentRead + 3); };
        w.shell.onPrompt = [&](const std::string& prompt) { w.run = w.run && prompt != stopAt; };
        w.writers.csv = [&, recorder = w.Recorder("csv")](auto&&... args) {
            w.run = w.run && stopAt != "csv";
            return recorder(std::forward<decltype(args)>(args)...);
        };

        EXPECT_EQ(w.Run(), c.outcome);
        std::string log = Joined(w.shell.log);
        for (const auto& [message, name] :
             {std::pair{text::kFileCountLostMessage, "FileCountLost"}, {text::kUploadLostMessage, "UploadLost"}})
            if (const std::size_t at = log.find(message); at != std::string::npos)
                log.replace(at, message.size(), name);
        EXPECT_EQ(log, c.log);
        EXPECT_EQ(Sent(w.channel.writes), c.sent);
        // The header words in host order, the table and the chosen name.
        std::string writers;
        for (const std::string& call : w.writerCalls) {
            writers += (writers.empty() ? "" : " ") + call.substr(0, call.find(' '));
            EXPECT_TRUE(call.ends_with(" 32 4 161 162 163 164 /data/pump7")) << call;
        }
        EXPECT_EQ(writers, c.writers);
        EXPECT_TRUE(c.outcome != O::Stopped || w.channel.readCalls <= firstSilentRead + 3) << "gave up between reads";
        EXPECT_EQ(w.bridges.closes, (std::map<BridgeHandle, int>{{100, 1}}));
        EXPECT_FALSE(w.run);
        EXPECT_TRUE(w.linkMessages.shown.empty());
    }
}

TEST(WorkerTest, RunFlagClearedWhileSearchingEndsWithoutQuit)
{
    WorkerWorld w;
    w.shell.onProgress = [&](int position) { w.run = position != 3; };
    EXPECT_EQ(w.Run(), PassOutcome::Stopped);
    EXPECT_EQ(Joined(w.shell.log), "progress 1, progress 2, progress 3");
}

} // namespace
} // namespace k4::test
