#pragma once
#include <windows.h>
#include <shellapi.h>

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

    void AddTrayIcon();
    void RemoveTrayIcon();

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void OnTaskbarNotify(LPARAM mouseMessage);
    void OnExit();
    NOTIFYICONDATAA TrayData() const;

    HWND m_hwnd = nullptr;
    HICON m_hIcon = nullptr;
    HMENU m_menu = nullptr;
    WNDPROC m_editProc = nullptr;
    bool m_bTrayIconShown = false;
};

// The question, asked with the launcher's name as caption: true for Yes
// (and for anything but No).
bool AskStartAtLogOn();

} // namespace k4dock
