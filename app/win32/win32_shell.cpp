#include "app/win32/win32_shell.h"

#include <commctrl.h>

#include <string>

#include "app/win32/dialogs.h"

namespace k4win {

void Win32Shell::Attach(HWND mainWindow, HWND progressBar)
{
    m_mainWindow = mainWindow;
    m_progressBar = progressBar;
}

bool Win32Shell::MayShow()
{
    m_workerThread = GetCurrentThreadId();
    return !m_closing;
}

void Win32Shell::CloseForEnd()
{
    m_closing = true;
    const DWORD worker = m_workerThread;
    if (worker == 0)
        return;
    // Posted: the worker's modal loops close their own windows. A message box
    // and the prompts take WM_CLOSE as their cancel.
    EnumThreadWindows(
        worker,
        [](HWND window, LPARAM) {
            PostMessageA(window, WM_CLOSE, 0, 0);
            return TRUE;
        },
        0);
}

void Win32Shell::ShowMessage(std::string_view text)
{
    if (!MayShow()) {
        Diagnose("message: " + std::string(text));
        return;
    }
    ShowApplicationMessage(nullptr, text);
}

// Sent, so that the bar shows the count before the next poll starts; a
// window already destroyed (the program is ending) makes it a no-op.
void Win32Shell::SetProgress(int position)
{
    SendMessageA(m_progressBar, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void Win32Shell::HideMainWindow()
{
    // Ending: the window goes with the process (see MainWindow::Run).
    if (m_closing)
        return;
    ShowWindow(m_mainWindow, SW_HIDE);
}

void Win32Shell::ShowMainWindow()
{
    if (m_closing)
        return;
    ShowWindow(m_mainWindow, SW_SHOW);
}

k4::NotConnectedChoice Win32Shell::ShowDeviceNotConnected()
{
    if (!MayShow())
        return k4::NotConnectedChoice::Closed;
    return RunDeviceNotConnected(m_instance);
}

k4::DeviceEmptyResult Win32Shell::ShowDeviceEmpty()
{
    if (!MayShow())
        return k4::DeviceEmptyResult::Closed;
    return RunDeviceEmpty(m_instance);
}

k4::DataFoundChoice Win32Shell::ShowDataFound()
{
    if (!MayShow())
        return k4::DataFoundChoice::Cancel;
    return RunDataFound(m_instance);
}

std::optional<std::string> Win32Shell::ShowSaveFile()
{
    if (!MayShow())
        return std::nullopt;
    return RunSaveFileDialog(m_instance);
}

k4::SaveCompleteResult Win32Shell::ShowSaveComplete()
{
    if (!MayShow())
        return k4::SaveCompleteResult::Closed;
    return RunSaveComplete(m_instance);
}

void Win32Shell::PostQuit()
{
    PostMessageA(m_mainWindow, WM_QUIT, 0, 0);
}

} // namespace k4win
