#pragma once
#include <windows.h>

#include <optional>
#include <string>

#include "link/download_shell.h"

namespace k4 {
class DownloadSession;
}

namespace k4win {

// The four prompts: modal, without a parent, on the calling thread.
k4::NotConnectedChoice RunDeviceNotConnected(HINSTANCE instance);
k4::DeviceEmptyResult RunDeviceEmpty(HINSTANCE instance);
k4::DataFoundChoice RunDataFound(HINSTANCE instance);
k4::SaveCompleteResult RunSaveComplete(HINSTANCE instance);

// The save-file dialog: the chosen path without extension after Save,
// nothing after Cancel.
std::optional<std::string> RunSaveFileDialog(HINSTANCE instance);

// The About box, on the user-interface thread; the firmware field is
// filled when the session's query answers.
k4::AboutResult RunAboutBox(HINSTANCE instance, HWND mainWindow, k4::DownloadSession& session);

// An OK message box with the application's name as caption.
void ShowApplicationMessage(HWND owner, std::string_view text);

} // namespace k4win
