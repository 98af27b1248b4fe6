#pragma once
#include <windows.h>

#include <atomic>

#include "link/download_shell.h"

namespace k4win {

// The worker's view of the program. Every call runs on the worker's own
// thread: the prompts and message boxes are modal there, without a parent,
// and the main window is reached only through calls that the system
// carries to the window's thread.
class Win32Shell final : public k4::DownloadShell {
public:
    explicit Win32Shell(HINSTANCE instance) : m_instance(instance) {}

    // Before the worker starts.
    void Attach(HWND mainWindow, HWND progressBar);

    void ShowMessage(std::string_view text) override;
    void SetProgress(int position) override;
    void HideMainWindow() override;
    void ShowMainWindow() override;
    k4::NotConnectedChoice ShowDeviceNotConnected() override;
    k4::DeviceEmptyResult ShowDeviceEmpty() override;
    k4::DataFoundChoice ShowDataFound() override;
    std::optional<std::string> ShowSaveFile() override;
    k4::SaveCompleteResult ShowSaveComplete() override;
    void PostQuit() override;

    // The program is closing (on the user-interface thread): every window
    // that the worker shows is told to close, and none is shown any more;
    // each prompt then answers as if closed. Called again while waiting for
    // the worker, it also closes a window that was opening meanwhile.
    void CloseForEnd();

private:
    // Whether the worker may show a window; notes the worker's thread.
    bool MayShow();

    HINSTANCE m_instance;
    std::atomic<bool> m_closing{false};
    std::atomic<DWORD> m_workerThread{0};
    std::atomic<HWND> m_mainWindow{nullptr};
    std::atomic<HWND> m_progressBar{nullptr};
};

} // namespace k4win
