// k4-download: one download pass of the K4 Data Transfer Application on the
// terminal.
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <memory>

#include "common/device_ids.h"
#include "link/tracing_channel.h"
#include "platform/command_line.h"
#include "platform/dynamic_library.h"
#include "platform/system_bridges.h"
#include "platform/user_folders.h"
#include "session/download_session.h"
#include "tools/image_file/image_file.h"
#include "tools/k4-download/download_options.h"
#include "tools/k4-download/exit_status.h"
#include "tools/k4-download/terminal_shell.h"
#include "tools/k4-download/tracing_bridges.h"
#include "watch/missing_port.h"

namespace {

std::atomic<bool> g_bStopAsked{false};
static_assert(std::atomic<bool>::is_always_lock_free);

// Like closing the main window: the worker stops after its current step.
void AskToStop(int)
{
    g_bStopAsked = true;
}

void InstallStopHandlers()
{
    std::signal(SIGINT, AskToStop);
    std::signal(SIGTERM, AskToStop);
}

k4::SessionParts TerminalParts(const k4dl::DownloadOptions& options)
{
    k4::SessionParts parts;
    parts.bridges = k4::MakeSystemBridgeLibrary();
    if (options.traceBridges)
        parts.bridges = std::make_unique<k4dl::TracingBridgeLibrary>(std::move(parts.bridges), stderr);
    if (options.traceFrames)
        parts.channel = std::make_unique<k4::TracingSerialChannel>(k4::MakeSystemSerialChannel(), stderr);
    if (!options.keepImage.empty()) {
        parts.writers.keepRawImage = [path = options.keepImage](std::span<const std::uint8_t> raw) {
            if (!k4::WriteImageFile(path, {raw.begin(), raw.end()}))
                std::fprintf(stderr, "k4-download: cannot keep the image in %s\n", path.c_str());
        };
    }
    return parts;
}

} // namespace

int main(int argc, char** argv)
{
    k4::RestrictLibrarySearch();
    k4dl::DownloadOptions options;
    std::string error;
    if (!k4dl::ParseDownloadOptions(k4::CommandLineArguments(argc, argv), options, error)) {
        std::fprintf(stderr, "k4-download: %s\n%s", error.c_str(), k4dl::DownloadUsage().c_str());
        return 1;
    }
    if (options.help) {
        std::fputs(k4dl::DownloadUsage().c_str(), stdout);
        return 0;
    }

    k4dl::TerminalShell shell(stderr, options.output, k4::DocumentsFolder(), k4::HomeFolder());
    k4::DownloadSession session(shell, TerminalParts(options));

    InstallStopHandlers();
    shell.ShowMainWindow();
    session.Start();
    // A unit that the kernel sees but that shows no serial port would only
    // make the search fail: say why, once.
    const k4::DeviceIds ids{session.Settings().m_dwVid, session.Settings().m_dwPid};
    k4::MissingPortNotice portNotice;
    while (!session.WaitFor(std::chrono::milliseconds(250))) {
        if (g_bStopAsked)
            session.Stop();
        if (portNotice.Update(k4::FindUsbDeviceWithoutTty("/sys", ids).has_value(), std::chrono::steady_clock::now()))
            std::fputs(k4::MissingPortHelp(ids).c_str(), stderr);
    }
    return k4dl::ExitStatusFor(session.Outcome());
}
