#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "common/message_sink.h"
#include "link/device_link.h"

namespace k4 {

inline constexpr const char* kFileCountLostMessage =
    "Lost communication with the Pumpvisor Data Download Device, file count zero.";
inline constexpr const char* kUploadLostMessage =
    "Lost communication with the Pumpvisor Data Download Device while uploading data.";

// Modal results of the prompts, as the worker reads them.
inline constexpr int kNotConnectedExit = 0;
inline constexpr int kNotConnectedTryAgain = 1;
inline constexpr int kDataFoundDownload = 1;
inline constexpr int kDataFoundCancel = 0;
inline constexpr int kSaveFileSave = 1;
inline constexpr int kSaveFileCancel = 2;
inline constexpr int kDialogClosed = 2; // Esc or the close box (framework cancel)

// What a front end gives the worker: the main window's progress bar and
// visibility, the prompts (modal, on the worker's thread), message boxes
// and the end of the program.
class DownloadShell : public MessageSink {
public:
    virtual void SetProgress(int position) = 0; // range 0 to 10
    virtual void HideMainWindow() = 0;
    virtual void ShowMainWindow() = 0;
    virtual int ShowDeviceNotConnected() = 0;
    virtual int ShowDeviceEmpty() = 0;
    virtual int ShowDataFound() = 0;
    // On Save: result kSaveFileSave and the chosen path without extension.
    virtual int ShowSaveFile(std::string& basePath) = 0;
    virtual int ShowSaveComplete() = 0;
    virtual void PostQuit() = 0;
};

// A writer of the gathered log: table offset, table length, the table (to
// the end of the gathered image), the base path, and where its messages go.
using LogWriter = std::function<bool(std::uint16_t, std::uint16_t, std::span<const std::uint8_t>,
                                     std::string, MessageSink&)>;

struct LogWriters {
    LogWriter csv;    // result not used
    LogWriter report; // decides the pass's success
};

// How a pass ended (the terminal tool turns it into its exit status).
enum class PassOutcome {
    Saved,            // "Save Successful" shown
    NotConnected,     // "Exit" at Device Not Connected
    DeviceEmpty,      // file count 0
    Cancelled,        // Cancel at Data Found or Save File
    FileCountFailed,
    DownloadFailed,
    Stopped,          // the run flag was cleared from outside
};

struct WorkerSettings {
    std::uint32_t g_dwVid = 0;
    std::uint32_t g_dwPid = 0;
    int pollIntervalMs = 1000;
    int failedPollsBeforePrompt = 10;
};

// Runs the download from a copy of the gathered image through both writers.
bool DownloadLog(DeviceLink& link, std::string basePath, const LogWriters& writers, MessageSink& messages);

// The whole pass: search, prompts, download, writers, end. Returns when the
// pass ends or `g_bRun` is cleared from outside.
PassOutcome DownloadWorker(DeviceLink& link, DownloadShell& shell, const WorkerSettings& settings,
                           const LogWriters& writers, std::atomic<bool>& g_bRun);

} // namespace k4
