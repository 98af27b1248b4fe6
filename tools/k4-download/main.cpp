// k4-download: one download pass of the K4 Data Transfer Application on the
// terminal.
#include <atomic>
#include <csignal>
#include <cstdio>
#include <memory>

#include "common/config_store.h"
#include "common/output_path.h"
#include "link/download_worker.h"
#include "platform/posix_bridges.h"
#include "platform/user_folders.h"
#include "tools/k4-download/download_options.h"
#include "tools/k4-download/download_writers.h"
#include "tools/k4-download/exit_status.h"
#include "tools/k4-download/terminal_shell.h"
#include "tools/k4-download/tracing_bridges.h"

namespace {

std::atomic<bool> g_bRun{true};
static_assert(std::atomic<bool>::is_always_lock_free);

// Like closing the main window: the worker stops after its current step.
void StopPass(int)
{
    g_bRun = false;
}

void InstallStopHandlers()
{
    struct sigaction action {};
    action.sa_handler = StopPass;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

} // namespace

int main(int argc, char** argv)
{
    k4dl::DownloadOptions options;
    std::string error;
    if (!k4dl::ParseDownloadOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
        std::fprintf(stderr, "k4-download: %s\n%s", error.c_str(), k4dl::DownloadUsage().c_str());
        return 1;
    }
    if (options.help) {
        std::fputs(k4dl::DownloadUsage().c_str(), stdout);
        return 0;
    }

    const k4::DeviceIds ids = k4::ReadDeviceIds();
    k4::WorkerSettings settings;
    settings.g_dwVid = ids.vid;
    settings.g_dwPid = ids.pid;

    std::unique_ptr<k4::BridgeLibrary> bridges = k4::MakeSystemBridgeLibrary();
    if (options.traceBridges)
        bridges = std::make_unique<k4dl::TracingBridgeLibrary>(std::move(bridges), stderr);
    std::unique_ptr<k4::SerialChannel> channel = k4::MakeSystemSerialChannel();

    k4dl::TerminalShell shell(stderr, options.output, k4::DocumentsFolder(), k4::HomeFolder());
    k4::DeviceLink link(*bridges, *channel, shell);
    const k4::LogWriters writers = k4dl::MakeLogWriters(link, options.keepImage, stderr);

    InstallStopHandlers();
    shell.ShowMainWindow();
    const k4::PassOutcome outcome = k4::DownloadWorker(link, shell, settings, writers, g_bRun);
    return k4dl::ExitStatusFor(outcome);
}
