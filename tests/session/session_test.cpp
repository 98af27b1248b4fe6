#include <atomic>
#include <chrono>
#include <deque>
#include <future>
#include <mutex>
#include <thread>

#include <gtest/gtest.h>

#include "common/texts.h"
#include "session/download_session.h"
#include "session/ui_thread_shell.h"
#include "tests/link/fakes.h"

namespace k4::test {
namespace {

using namespace std::chrono_literals;

constexpr std::uint16_t kVid = 0x10C4;
constexpr std::uint16_t kPid = 0xEA60;

// A user-interface thread: one event queue, and nested loops while a modal
// dialog is up, as a desktop toolkit runs them.
class EventThread : public UiThreadRunner {
public:
    ~EventThread() override
    {
        m_quit = true;
        m_thread.join();
    }

    void RunAndWait(const std::function<void()>& task) override
    {
        EXPECT_FALSE(OnThisThread()) << "never from the UI thread itself";
        std::promise<void> done;
        {
            std::lock_guard lock(m_mutex);
            m_tasks.push_back([&] {
                task();
                done.set_value();
            });
        }
        done.get_future().wait();
    }

    // Runs events until `until` holds: the modal loop of a dialog.
    void Loop(const std::function<bool()>& until)
    {
        while (!until()) {
            std::unique_lock lock(m_mutex);
            const std::function<void()> task = m_tasks.empty() ? nullptr : std::move(m_tasks.front());
            if (task)
                m_tasks.pop_front();
            lock.unlock();
            task ? task() : std::this_thread::sleep_for(1ms);
        }
    }

    bool OnThisThread() const { return std::this_thread::get_id() == m_thread.get_id(); }

private:
    std::mutex m_mutex;
    std::deque<std::function<void()>> m_tasks;
    std::atomic<bool> m_quit{false};
    std::thread m_thread{[this] { Loop([this] { return m_quit.load(); }); }};
};

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

// Without a unit: the firmware query answers nothing at once and sends
// nothing; Stop ends the search without quit and without a prompt.
TEST(SessionTest, WithoutAUnit)
{
    SessionWorld w;
    w.parts.settings.pollIntervalMs = 20;
    FakeBridgeLibrary& bridges = *w.bridges;
    FakeShell shell;
    DownloadSession session(shell, std::move(w.parts));
    std::promise<std::optional<std::string>> answer;
    session.RequestFirmwareVersion([&](std::optional<std::string> text) { answer.set_value(text); });
    auto future = answer.get_future();
    ASSERT_EQ(future.wait_for(2s), std::future_status::ready);
    EXPECT_EQ(future.get(), std::nullopt);
    EXPECT_TRUE(w.channel->writes.empty());

    session.Start();
    std::this_thread::sleep_for(50ms);
    session.Stop();
    ASSERT_TRUE(session.WaitFor(2s));
    EXPECT_EQ(session.Outcome(), PassOutcome::Stopped);
    EXPECT_FALSE(bridges.calls.empty()) << "it searched";
    for (const std::string& line : shell.log)
        EXPECT_TRUE(line.starts_with("progress")) << line;
}

// The shell's prompts run on the event thread. While the exchange's timeout
// message is up (the worker holding the link), the user opens the About box
// on that same thread: its query must not block the thread, and both the
// message and the query must complete.
TEST(SessionTest, AboutQueryWhileAnExchangeShowsAMessageDoesNotDeadlock)
{
    // One file, a good first data frame, then five frames whose checksums
    // fail: the download ends with the timeout message, shown while the
    // exchange still holds the link.
    SessionWorld w;
    w.bridges->attached.push_back({kVid, kPid});
    w.channel->QueueBytes(CodeFrame(0, 0, {1}));
    w.channel->QueueBytes(CodeFrame(1, 0, Pattern(8, 1)));
    for (int i = 0; i < kBadFrameLimit; ++i)
        w.channel->QueueBytes(Corrupted(CodeFrame(2, 0, Pattern(8, 9))));

    struct UiShell : FakeShell {
        EventThread* ui = nullptr;
        DownloadSession* session = nullptr;
        std::promise<std::optional<std::string>> firmware;
        bool lockHeldDuringMessage = false;
        void ShowMessage(std::string_view text) override
        {
            FakeShell::ShowMessage(text);
            EXPECT_TRUE(ui->OnThisThread());
            if (text != text::kTimeoutMessage)
                return;
            std::unique_lock probe(session->Link().m_csLink, std::try_to_lock);
            lockHeldDuringMessage = !probe.owns_lock();
            if (probe.owns_lock())
                probe.unlock();
            session->RequestFirmwareVersion([this](std::optional<std::string> t) { firmware.set_value(t); });
            // The box stays up a moment, its loop running, before the user
            // dismisses it.
            const auto until = std::chrono::steady_clock::now() + 100ms;
            ui->Loop([&] { return std::chrono::steady_clock::now() >= until; });
        }
    };

    EventThread ui;
    UiShell uiShell;
    uiShell.ui = &ui;
    UiThreadShell shell(uiShell, ui);
    DownloadSession session(shell, std::move(w.parts));
    uiShell.session = &session;
    session.Start();

    ASSERT_TRUE(session.WaitFor(10s)) << "the worker never got past the message";
    auto firmware = uiShell.firmware.get_future();
    ASSERT_EQ(firmware.wait_for(10s), std::future_status::ready) << "the About query never completed";
    EXPECT_TRUE(uiShell.lockHeldDuringMessage);
    EXPECT_EQ(session.Outcome(), PassOutcome::DownloadFailed);
    EXPECT_TRUE(Joined(uiShell.log)
                    .ends_with("message: " + std::string(text::kTimeoutMessage) +
                               ", message: " + std::string(text::kUploadLostMessage) + ", quit"));
}

} // namespace
} // namespace k4::test
