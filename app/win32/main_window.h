#pragma once
#include <windows.h>

#include <memory>

#include "app/win32/win32_shell.h"
#include "session/download_session.h"

namespace k4win {

// The main window: "Searching for Pumpvisor Data" with the progress bar,
// the About item of its system menu, and the owner of the download pass.
class MainWindow {
public:
    // Looks for another instance before our own window exists, so that
    // the search never finds us.
    explicit MainWindow(HINSTANCE instance);
    // Stops the pass and gives the worker its last half second.
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Runs the window as a modal dialog until the pass or the user ends it.
    void Run();

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    BOOL OnInitDialog(HWND dialog);
    void AddAboutItem(HWND dialog);
    bool OnSysCommand(WPARAM command);
    bool OnPaint(HWND dialog);

    HINSTANCE m_instance;
    HWND m_hwnd = nullptr;
    HICON m_hIcon;
    bool m_bOtherInstance;
    Win32Shell m_shell;
    std::unique_ptr<k4::DownloadSession> m_session;
};

} // namespace k4win
