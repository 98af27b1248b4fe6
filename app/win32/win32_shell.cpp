#include "app/win32/win32_shell.h"

#include <commctrl.h>

#include "app/win32/dialogs.h"

namespace k4win {

void Win32Shell::Attach(HWND mainWindow, HWND progressBar)
{
    m_mainWindow = mainWindow;
    m_progressBar = progressBar;
}

void Win32Shell::ShowMessage(std::string_view text)
{
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
    ShowWindow(m_mainWindow, SW_HIDE);
}

void Win32Shell::ShowMainWindow()
{
    ShowWindow(m_mainWindow, SW_SHOW);
}

k4::NotConnectedChoice Win32Shell::ShowDeviceNotConnected()
{
    return RunDeviceNotConnected(m_instance);
}

k4::DeviceEmptyResult Win32Shell::ShowDeviceEmpty()
{
    return RunDeviceEmpty(m_instance);
}

k4::DataFoundChoice Win32Shell::ShowDataFound()
{
    return RunDataFound(m_instance);
}

std::optional<std::string> Win32Shell::ShowSaveFile()
{
    return RunSaveFileDialog(m_instance);
}

k4::SaveCompleteResult Win32Shell::ShowSaveComplete()
{
    return RunSaveComplete(m_instance);
}

void Win32Shell::PostQuit()
{
    PostMessageA(m_mainWindow, WM_QUIT, 0, 0);
}

} // namespace k4win
