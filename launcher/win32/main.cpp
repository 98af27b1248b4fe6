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

#include "common/device_ids.h"
#include "common/texts.h"
#include "launcher/win32/hidden_window.h"
#include "platform/dynamic_library.h"
#include "platform/bridge_changes.h"
#include "platform/program_starter.h"
#include "platform/session_lock.h"
#include "platform/system_bridges.h"
#include "platform/window_titles.h"
#include "watch/device_watch.h"
#include "watch/launcher_startup.h"

namespace {

std::atomic<bool> g_bWatch{true};

// On a shared computer every logged-on user has his launcher; only the one
// at the console (the session whose user can have plugged the unit in)
// starts the main program. A disconnected session's launcher starts
// nothing, as beside an open download window.
class ConsoleSessionStarter : public k4::ProgramStarter {
public:
    bool Start(const std::string& file) override
    {
        DWORD ours = 0;
        if (ProcessIdToSessionId(GetCurrentProcessId(), &ours) && ours != WTSGetActiveConsoleSessionId())
            return false;
        return k4::SystemProgramStarter().Start(file);
    }
};

// The watch, on its own thread; stopped and joined when the launcher ends.
class WatchThread {
public:
    WatchThread(k4::DeviceIds ids, std::optional<std::string> mainProgramFile)
        : m_bridges(k4::MakeSystemBridgeLibrary()), m_changes(k4::MakeSystemBridgeChanges(k4::kWatchInterval)),
          m_watch(*m_bridges, m_starter, k4::WindowTitleExists, ids, std::move(mainProgramFile)),
          m_thread([this] { m_watch.Run(g_bWatch, *m_changes); })
    {}
    ~WatchThread() { Stop(); }
    WatchThread(const WatchThread&) = delete;
    WatchThread& operator=(const WatchThread&) = delete;

    void DeviceChanged() { m_changes->Notify(); }

    // Wakes the watch at once and waits for a poll under way to end.
    void Stop()
    {
        g_bWatch = false;
        m_changes->Stop();
        if (m_thread.joinable())
            m_thread.join();
    }

private:
    std::unique_ptr<k4::BridgeLibrary> m_bridges;
    std::unique_ptr<k4::BridgeChanges> m_changes;
    ConsoleSessionStarter m_starter;
    k4::DeviceWatch m_watch;
    std::thread m_thread;
};

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    // Before anything can load a library: nothing planted in the current
    // folder or along PATH is ever taken.
    k4::RestrictLibrarySearch();
    // One launcher per session: a second one (the Run entry and the Start
    // menu both used) would start the main program a second time on each
    // arrival, and that copy would find the unit held.
    const std::unique_ptr<k4::SessionLock> onlyLauncher = k4::TakeSessionLock(k4::kLauncherLockName);
    if (!onlyLauncher)
        return 0;
    k4dock::HiddenWindow window(instance);
    if (!window.Created())
        return 1;
    const std::vector<std::string> arguments(__argv + 1, __argv + __argc);
    const k4::LauncherStart start = k4::StartLauncher(arguments, k4dock::AskStartAtLogOn);
    if (!start.run)
        return 0;
    // Without MainAppPath the launcher stays in the tray, watching nothing.
    std::unique_ptr<WatchThread> watch;
    if (start.watch) {
        watch = std::make_unique<WatchThread>(start.ids, start.mainProgramFile);
        window.WatchDeviceChanges([&watch] { watch->DeviceChanged(); });
        window.OnSessionEnd([&watch] { watch->Stop(); });
    }
    window.AddTrayIcon();

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }

    // The watch stops before the icon goes, so that nothing is started
    // by a launcher that has already left the tray.
    if (watch)
        watch->Stop();
    window.RemoveTrayIcon();
    return 0;
}
