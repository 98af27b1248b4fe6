#pragma once
#include <windows.h>

#include <memory>
#include <string>

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
    // Stops the pass, closes its windows and waits for the worker, which
    // ends within one read interval unless it is finishing a file.
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Runs the window as a modal dialog until the pass or the user ends it.
    void Run();

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    BOOL OnInitDialog(HWND dialog);
    void EndPass();
    std::string AboutItemText() const;
    void AddAboutItem(HWND dialog);
    bool OnSysCommand(WPARAM command);
    void OpenAbout();
    static bool IsAboutKey(HWND dialog, const MSG& message);
    void OnContextMenu(HWND dialog, LPARAM at);
    bool OnPaint(HWND dialog);

    HINSTANCE m_instance;
    HWND m_hwnd = nullptr;
    HICON m_hIcon;
    bool m_bOtherInstance;
    Win32Shell m_shell;
    std::unique_ptr<k4::DownloadSession> m_session;
};

} // namespace k4win
