#include <chrono>
#include <future>
#include <thread>

#include <gtest/gtest.h>

#include "session/download_session.h"
#include "tests/link/fakes.h"

namespace k4::test {
namespace {

using namespace std::chrono_literals;

constexpr std::uint16_t kVid = 0x10C4;
constexpr std::uint16_t kPid = 0xEA60;

struct SessionWorld {
    SessionWorld()
    {
        auto ownBridges = std::make_unique<FakeBridgeLibrary>();
        auto ownChannel = std::make_unique<FakeSerialChannel>();
        bridges = ownBridges.get();
        channel = ownChannel.get();
        parts.bridges = std::move(ownBridges);
        parts.channel = std::move(ownChannel);
        parts.readConfiguration = false;
        parts.settings.m_dwVid = kVid;
        parts.settings.m_dwPid = kPid;
        parts.settings.pollIntervalMs = 1;
        for (auto [writer, extension] : {std::pair{&parts.writers.csv, ".csv"}, {&parts.writers.report, ".xls"}})
            *writer = [this, extension](auto, auto, auto, std::string basePath, MessageSink&) {
                written.push_back(basePath + extension);
                return true;
            };
    }

    FakeBridgeLibrary* bridges;
    FakeSerialChannel* channel;
    SessionParts parts;
    std::vector<std::string> written;
};

TEST(SessionTest, RunsTheWholePassOnItsOwnThreadAndReportsTheEnd)
{
    SessionWorld w;
    w.bridges->attached.push_back({kVid, kPid});
    QueueOneFileLog(*w.channel);

    std::promise<PassOutcome> finished;
    std::thread::id finishedOn;
    w.parts.finished = [&](PassOutcome outcome) {
        finishedOn = std::this_thread::get_id();
        finished.set_value(outcome);
    };
    FakeShell shell;
    DownloadSession session(shell, std::move(w.parts));
    session.Start();
    ASSERT_TRUE(session.WaitFor(5s));
    EXPECT_EQ(finished.get_future().get(), PassOutcome::Saved);
    EXPECT_NE(finishedOn, std::this_thread::get_id());
    EXPECT_EQ(session.Outcome(), PassOutcome::Saved);
    EXPECT_EQ(w.written, (std::vector<std::string>{"/data/pump7.csv", "/data/pump7.xls"}));
    EXPECT_EQ(shell.log.back(), "quit");
}

// Without a unit, Stop ends the search without quit and without a prompt.
TEST(SessionTest, StopWithoutAUnit)
{
    SessionWorld w;
    w.parts.settings.pollIntervalMs = 20;
    FakeBridgeLibrary& bridges = *w.bridges;
    FakeShell shell;
    DownloadSession session(shell, std::move(w.parts));
    session.Start();
    std::this_thread::sleep_for(50ms);
    session.Stop();
    ASSERT_TRUE(session.WaitFor(2s));
    EXPECT_EQ(session.Outcome(), PassOutcome::Stopped);
    EXPECT_FALSE(bridges.calls.empty()) << "it searched";
    for (const std::string& line : shell.log)
        EXPECT_TRUE(line.starts_with("progress")) << line;
}

} // namespace
} // namespace k4::test
