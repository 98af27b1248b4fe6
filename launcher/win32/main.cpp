// Dockstart: sits in the tray and starts the main program each time the
// download unit is plugged in.
#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "common/config_store.h"
#include "common/texts.h"
#include "launcher/win32/hidden_window.h"
#include "platform/dynamic_library.h"
#include "platform/program_starter.h"
#include "platform/system_bridges.h"
#include "platform/window_titles.h"
#include "watch/device_watch.h"
#include "watch/launcher_startup.h"

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
    // Before anything can load a library: nothing planted in the current
    // folder or along PATH is ever taken.
    k4::RestrictLibrarySearch();
    k4dock::HiddenWindow window(instance);
    if (!window.Created())
        return 1;
    const std::vector<std::string> arguments(__argv + 1, __argv + __argc);
    const k4::LauncherStart start = k4::StartLauncher(arguments, k4dock::AskStartAtLogOn);
    if (!start.run)
        return 0;
    // Without MainAppPath the launcher stays in the tray, watching nothing.
    std::unique_ptr<WatchThread> watch;
    if (start.watch)
        watch = std::make_unique<WatchThread>(start.ids, start.mainProgramFile);
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
