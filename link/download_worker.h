#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "common/message_sink.h"
#include "link/device_link.h"
#include "link/download_shell.h"

namespace k4 {

// A writer of the gathered log: table offset, table length, the table (to
// the end of the gathered image), the base path, and where its messages go.
using LogWriter =
    std::function<bool(std::uint16_t, std::uint16_t, std::span<const std::uint8_t>, std::string, MessageSink&)>;

struct LogWriters {
    LogWriter csv;    // result not used
    LogWriter report; // decides the pass's success
    // Given the image exactly as the unit sent it, before the writers run
    // (the terminal tool keeps it for support); optional.
    std::function<void(std::span<const std::uint8_t>)> keepRawImage;
};

// How a pass ended (the terminal tool turns it into its exit status).
enum class PassOutcome {
    Saved,        // "Save Successful" shown
    NotConnected, // "Exit" at Device Not Connected
    DeviceEmpty,  // file count 0
    Cancelled,    // Cancel at Data Found or Save File
    FileCountFailed,
    DownloadFailed,
    Stopped, // the run flag was cleared from outside
};

struct WorkerSettings {
    std::uint32_t m_dwVid = 0;
    std::uint32_t m_dwPid = 0;
    int pollIntervalMs = 1000;
    int failedPollsBeforePrompt = 10;
};

// Runs the download from a copy of the gathered image through both writers.
bool DownloadLog(DeviceLink& link, std::string basePath, const LogWriters& writers, MessageSink& messages);

// The whole pass: search, prompts, download, writers, end. Returns when the
// pass ends or the run flag is cleared from outside.
PassOutcome DownloadWorker(DeviceLink& link, DownloadShell& shell, const WorkerSettings& settings,
                           const LogWriters& writers, std::atomic<bool>& bRun);

} // namespace k4
