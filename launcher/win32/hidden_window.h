#pragma once
#include <windows.h>
#include <shellapi.h>

#include <functional>

namespace k4dock {

// The invisible window that owns the tray icon and the "File" menu: an
// edit control of the system, top-level, minimised and never shown.
class HiddenWindow {
public:
    explicit HiddenWindow(HINSTANCE instance);
    ~HiddenWindow();
    HiddenWindow(const HiddenWindow&) = delete;
    HiddenWindow& operator=(const HiddenWindow&) = delete;

    bool Created() const { return m_hwnd != nullptr; }
    HWND Handle() const { return m_hwnd; }

    // Adds the icon; where the tray is not ready yet (a start at log-on
    // before Explorer), it tries again every second for a while, and a
    // tray that starts (again) later gets it with its TaskbarCreated.
    void AddTrayIcon();
    void RemoveTrayIcon();

    // Asks the system for the arrivals and removals of serial ports, which
    // then call `onDeviceChange` (on this window's thread).
    void WatchDeviceChanges(std::function<void()> onDeviceChange);
    // Runs when the session ends, before the system ends the process; the
    // launcher must stop its watch and leave the tray by then.
    void OnSessionEnd(std::function<void()> atSessionEnd) { m_atSessionEnd = std::move(atSessionEnd); }

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void OnTaskbarNotify(LPARAM mouseMessage);
    void OnExit();
    void OnTrayRetry();
    NOTIFYICONDATAA TrayData() const;
    bool ShowTrayIcon();

    HWND m_hwnd = nullptr;
    HICON m_hIcon = nullptr;
    HMENU m_menu = nullptr;
    WNDPROC m_editProc = nullptr;
    HDEVNOTIFY m_deviceNotify = nullptr;
    std::function<void()> m_onDeviceChange;
    std::function<void()> m_atSessionEnd;
    bool m_bTrayIconShown = false;
    int m_trayRetriesLeft = 0;
};

// The question, asked with the launcher's name as caption: true for Yes
// (and for anything but No).
bool AskStartAtLogOn();

} // namespace k4dock
