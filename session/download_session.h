#pragma once
// The one entry point of every front end: the terminal pass, the desktop
// programs and the tests build a session, start it and wait for it.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "link/download_worker.h"

namespace k4 {

// What a session is made of. Every part left empty gets the system's own:
// the bridges of this machine (or the simulated ones), its serial channel,
// the comma-delimited and report writers of the program folder, and the
// unit's identifiers read from the configuration when the session starts.
struct SessionParts {
    std::unique_ptr<BridgeLibrary> bridges;
    std::unique_ptr<SerialChannel> channel;
    LogWriters writers;
    WorkerSettings settings;       // timing; the identifiers too when not read
    bool readConfiguration = true; // read VID and PID at Start
    // Called on the worker's thread once the pass has returned.
    std::function<void(PassOutcome)> finished;
};

// The writers of the pass: `WriteCsvFile` and `WriteXlsReport` with the
// spreadsheet component and logo from the program folder.
LogWriters ProgramFolderWriters();

class DownloadSession {
public:
    // `shell` must outlive the session; see link/download_shell.h for the
    // threads on which it is called.
    explicit DownloadSession(DownloadShell& shell, SessionParts parts = {});
    // Stops the pass and waits for it to end (and for any firmware query).
    // With a UiThreadShell, destroy the session on the user-interface thread
    // only once Finished() is true: a worker waiting there for a prompt
    // would otherwise wait for a thread that is waiting for it.
    ~DownloadSession();
    DownloadSession(const DownloadSession&) = delete;
    DownloadSession& operator=(const DownloadSession&) = delete;

    // Reads the configuration (unless told not to) and starts the worker on
    // a thread of its own. Once only.
    void Start();

    // Like closing the main window: clears the run flag. The worker ends
    // within one read interval (an exchange gives up between two reads) or
    // as soon as the prompt it waits for returns; a file being written is
    // finished first, so that it is complete or absent, never cut. Nothing
    // more is shown and no quit is posted for a stopped pass.
    void Stop();

    bool Finished() const;
    // Waits for the worker to end; true once it has ended.
    bool WaitFor(std::chrono::milliseconds timeout);
    void Wait();
    // How the pass ended; Stopped until it has.
    PassOutcome Outcome() const;

    // The About box's query: asks the unit for its firmware version on a
    // thread of its own and calls `done` there with the text (at most five
    // characters), or nothing when no unit is connected or the query failed.
    // Returns at once: the query waits for the worker's exchange to end, and
    // the user-interface thread must never wait for that.
    void RequestFirmwareVersion(std::function<void(std::optional<std::string>)> done);

    const WorkerSettings& Settings() const { return m_parts.settings; }
    DeviceLink& Link() { return *m_link; }

private:
    void RunPass();

    DownloadShell& m_shell;
    SessionParts m_parts;
    std::atomic<bool> m_bRun{true};
    std::unique_ptr<DeviceLink> m_link;

    mutable std::mutex m_mutex;
    std::condition_variable m_ended;
    bool m_finished = false;
    PassOutcome m_outcome = PassOutcome::Stopped;
    std::thread m_worker;
    std::vector<std::thread> m_queries;
};

} // namespace k4
