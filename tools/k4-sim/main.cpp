// k4-sim: the K4 download unit on a pseudo-terminal, for tests, the demo
// and support.
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <unistd.h>

#include "platform/system_bridges.h"
#include "tools/k4-sim/bridge_announcement.h"
#include "tools/k4-sim/device_session.h"
#include "tools/k4-sim/pty_line.h"
#include "tools/image_file/image_file.h"
#include "tools/k4-sim/served_image.h"
#include "tools/k4-sim/sim_options.h"

namespace {

std::atomic<bool> g_stop{false};
static_assert(std::atomic<bool>::is_always_lock_free);

void RequestStop(int)
{
    g_stop = true;
}

void InstallStopHandlers()
{
    struct sigaction action {};
    action.sa_handler = RequestStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

int Fail(const std::string& message)
{
    std::fprintf(stderr, "k4-sim: %s\n", message.c_str());
    return 1;
}

std::string BridgeFolder(const k4sim::SimOptions& options)
{
    if (!options.bridgeDir.empty())
        return options.bridgeDir;
    const char* fromEnvironment = std::getenv(k4::kBridgeDirVariable);
    return fromEnvironment ? fromEnvironment : "";
}

struct ClosesFile {
    void operator()(std::FILE* file) const
    {
        if (file && file != stderr)
            std::fclose(file);
    }
};

} // namespace

int main(int argc, char** argv)
{
    k4sim::SimOptions options;
    std::string error;
    if (!k4sim::ParseSimOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
        std::fputs(k4sim::SimUsage().c_str(), stderr);
        return Fail(error);
    }
    if (options.help) {
        std::fputs(k4sim::SimUsage().c_str(), stdout);
        return 0;
    }

    std::vector<std::uint8_t> image;
    if (!k4sim::LoadServedImage(options, image, error))
        return Fail(error);
    if (!options.dumpImage.empty())
        return k4::WriteImageFile(options.dumpImage, image) ? 0 : Fail("cannot write " + options.dumpImage);

    const std::string folder = BridgeFolder(options);
    if (folder.empty())
        return Fail("no bridge folder: set K4_BRIDGE_DIR or give --bridge-dir");

    std::unique_ptr<std::FILE, ClosesFile> frameLog;
    if (options.frameLog == "-")
        frameLog.reset(stderr);
    else if (!options.frameLog.empty() && !(frameLog = decltype(frameLog)(std::fopen(options.frameLog.c_str(), "w"))))
        return Fail("cannot write " + options.frameLog);
    k4sim::FrameLog log(frameLog ? frameLog.get() : stderr);

    InstallStopHandlers();
    std::unique_ptr<k4sim::PtyLine> line = k4sim::PtyLine::Open(options.paced, error);
    if (!line)
        return Fail(error);

    const std::string name = options.name.empty() ? "k4-sim-" + std::to_string(::getpid()) : options.name;
    k4sim::BridgeAnnouncement announcement;
    if (!announcement.Announce(folder, name, {line->DevicePath(), options.vid, options.pid}, error))
        return Fail(error);
    std::printf("k4-sim: %s on %s\n", announcement.Path().c_str(), line->DevicePath().c_str());
    std::fflush(stdout);

    k4sim::DeviceSession session(*line, options.unit, std::move(image), frameLog ? &log : nullptr);
    const k4sim::SessionEnd end = session.Run(g_stop);
    announcement.Withdraw();
    line->Unplug();

    std::fprintf(stderr, "k4-sim: %s; sent %llu bytes, received %llu bytes\n",
                 end == k4sim::SessionEnd::Unplugged  ? "unplugged"
                 : end == k4sim::SessionEnd::LineGone ? "line gone"
                                                      : "stopped",
                 static_cast<unsigned long long>(line->BytesSent()),
                 static_cast<unsigned long long>(line->BytesReceived()));
    return 0;
}
