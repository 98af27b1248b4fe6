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

private:
    HINSTANCE m_instance;
    std::atomic<HWND> m_mainWindow{nullptr};
    std::atomic<HWND> m_progressBar{nullptr};
};

} // namespace k4win
