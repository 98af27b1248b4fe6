#include "link/download_worker.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "link/bridge_search.h"
#include "common/texts.h"

namespace k4 {

namespace {

// A closed main window clears the run flag; the worker must notice within
// about this long, not only after a whole poll interval.
constexpr std::chrono::milliseconds kRunCheckInterval{50};

// Returns whether the worker is still to run once the delay has passed.
bool SleepWhileRunning(int delayMs, const std::atomic<bool>& bRun)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(std::max(delayMs, 0));
    while (bRun) {
        const Clock::time_point now = Clock::now();
        if (now >= deadline)
            return true;
        std::this_thread::sleep_for(std::min<Clock::duration>(deadline - now, kRunCheckInterval));
    }
    return false;
}

// One download pass: the searching phase polls until a bridge matches or the
// user gives up; the connected phase runs once and always ends the pass.
class DownloadPass {
public:
    DownloadPass(DeviceLink& link, DownloadShell& shell, const WorkerSettings& settings, const LogWriters& writers,
                 std::atomic<bool>& bRun)
        : m_link(link), m_shell(shell), m_settings(settings), m_writers(writers), m_bRun(bRun)
    {}

    PassOutcome Run()
    {
        if (!m_bRun)
            return Stop();
        for (;;) {
            switch (Poll()) {
            case PollResult::Connected:
                // The connected phase follows without delay; only the run flag
                // is looked at in between.
                if (!m_bRun)
                    return Stop();
                return RunConnectedPhase();
            case PollResult::UserExit: return EndPass(PassOutcome::NotConnected);
            case PollResult::Stopped: return Stop();
            case PollResult::KeepSearching: break;
            }
            if (!SleepWhileRunning(m_settings.pollIntervalMs, m_bRun))
                return Stop();
        }
    }

private:
    enum class PollResult { Connected, KeepSearching, UserExit, Stopped };

    PollResult Poll()
    {
        if (ConnectMatchingBridge(m_link, m_settings.m_dwVid, m_settings.m_dwPid)) {
            m_failedPolls = 0;
            return PollResult::Connected;
        }
        ++m_failedPolls;
        if (m_failedPolls < m_settings.failedPollsBeforePrompt) {
            m_shell.SetProgress(m_failedPolls);
            return PollResult::KeepSearching;
        }
        m_shell.HideMainWindow();
        const NotConnectedChoice choice = m_shell.ShowDeviceNotConnected();
        if (!m_bRun)
            return PollResult::Stopped;
        if (choice == NotConnectedChoice::Exit)
            return PollResult::UserExit;
        // Any other answer, the close box included, starts a new series.
        m_failedPolls = 0;
        m_shell.SetProgress(0);
        m_shell.ShowMainWindow();
        return PollResult::KeepSearching;
    }

    // After every step that can take long (an exchange, a prompt) the run
    // flag is looked at again: once the program is closing, nothing more is
    // shown and nothing more is sent. A stopped exchange fails, but it is no
    // lost communication.
    PassOutcome RunConnectedPhase()
    {
        std::uint8_t fileCount = 0;
        const bool counted = m_link.GetFileCount(fileCount);
        if (!m_bRun)
            return Stop();
        if (!counted) {
            // Still over the visible main window, which is hidden only below.
            m_shell.ShowMessage(text::kFileCountLostMessage);
            return EndPass(PassOutcome::FileCountFailed);
        }
        m_shell.HideMainWindow();
        if (fileCount == 0) {
            m_shell.ShowDeviceEmpty();
            return m_bRun ? EndPass(PassOutcome::DeviceEmpty) : Stop();
        }
        const DataFoundChoice choice = m_shell.ShowDataFound();
        if (!m_bRun)
            return Stop();
        if (choice != DataFoundChoice::Download)
            return EndPass(PassOutcome::Cancelled);
        const std::optional<std::string> basePath = m_shell.ShowSaveFile();
        if (!m_bRun)
            return Stop();
        if (!basePath)
            return EndPass(PassOutcome::Cancelled);
        // Once the writers have begun they both run to their end, so that a
        // closing program leaves both files or neither, each one whole.
        const bool saved = DownloadLog(m_link, *basePath, m_writers, m_shell);
        if (!m_bRun)
            return Stop();
        if (!saved) {
            m_shell.ShowMessage(text::kUploadLostMessage);
            return EndPass(PassOutcome::DownloadFailed);
        }
        m_shell.ShowSaveComplete();
        return m_bRun ? EndPass(PassOutcome::Saved) : Stop();
    }

    // Every end the worker takes itself ends the program too.
    PassOutcome EndPass(PassOutcome outcome)
    {
        m_link.CloseBridge();
        m_bRun = false;
        m_shell.PostQuit();
        return outcome;
    }

    // The front end is already ending (it cleared the run flag), so no quit
    // is posted; the bridge is still released rather than left open.
    PassOutcome Stop()
    {
        m_link.CloseBridge();
        return PassOutcome::Stopped;
    }

    DeviceLink& m_link;
    DownloadShell& m_shell;
    const WorkerSettings& m_settings;
    const LogWriters& m_writers;
    std::atomic<bool>& m_bRun;
    int m_failedPolls = 0;
};

} // namespace

PassOutcome DownloadWorker(DeviceLink& link, DownloadShell& shell, const WorkerSettings& settings,
                           const LogWriters& writers, std::atomic<bool>& bRun)
{
    return DownloadPass(link, shell, settings, writers, bRun).Run();
}

} // namespace k4
