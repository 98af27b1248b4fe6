// Dockstart: sits in the tray and starts the main program each time the
// download unit is plugged in.
#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "common/config_store.h"
#include "common/texts.h"
#include "launcher/win32/hidden_window.h"
#include "launcher/win32/start_up.h"
#include "platform/program_starter.h"
#include "platform/system_bridges.h"
#include "platform/window_titles.h"
#include "watch/device_watch.h"

namespace {

std::atomic<bool> g_bWatch{true};

// The watch, on its own thread; stopped and joined when the launcher ends.
class WatchThread {
public:
    WatchThread(k4::DeviceIds ids, std::optional<std::string> mainProgramFile)
        : m_bridges(k4::MakeSystemBridgeLibrary()),
          m_watch(*m_bridges, k4::SystemProgramStarter(), k4::WindowTitleExists, ids, std::move(mainProgramFile)),
          m_thread([this] { m_watch.Run(g_bWatch); })
    {
    }
    ~WatchThread()
    {
        g_bWatch = false;
        m_thread.join();
    }
    WatchThread(const WatchThread&) = delete;
    WatchThread& operator=(const WatchThread&) = delete;

private:
    std::unique_ptr<k4::BridgeLibrary> m_bridges;
    k4::DeviceWatch m_watch;
    std::thread m_thread;
};

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    k4dock::HiddenWindow window(instance);
    if (!window.Created())
        return 1;
    const bool logOnStart = k4dock::IsLogOnStart(__argc, __argv);

    const k4dock::StartUp startUp = k4dock::DecideStartUp(logOnStart, k4dock::ReadRunOnStart());
    if (startUp == k4dock::StartUp::End)
        return 0;

    std::unique_ptr<WatchThread> watch;
    std::string mainAppPath;
    // Without MainAppPath the launcher stays in the tray, watching nothing.
    if (k4::ReadConfigString(k4::kConfigKeyPath, "MainAppPath", mainAppPath)) {
        k4::DeviceIds ids;
        if (!k4::ReadConfigDword(k4::kConfigKeyPath, "VID", ids.vid) ||
            !k4::ReadConfigDword(k4::kConfigKeyPath, "PID", ids.pid))
            return 0;
        if (startUp == k4dock::StartUp::RunAndAsk)
            k4dock::AskStartAtLogOn();
        watch = std::make_unique<WatchThread>(ids, k4dock::MainProgramFile(mainAppPath));
    }
    window.AddTrayIcon();

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }

    // The watch stops before the icon goes, so that nothing is started
    // by a launcher that has already left the tray.
    g_bWatch = false;
    window.RemoveTrayIcon();
    Sleep(150);
    watch.reset();
    return 0;
}
