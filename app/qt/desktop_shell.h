#pragma once
// The pass's windows on the GUI thread: the main window, the prompts, the
// save dialog and message boxes. Only ever called on the GUI thread (through
// k4::UiThreadShell), except Diagnose.
#include <string>

#include "link/download_shell.h"

namespace k4app {

class MainWindow;

class DesktopShell final : public k4::DownloadShell {
public:
    DesktopShell(MainWindow& window, std::string documentsFolder, std::string homeFolder);

    void ShowMessage(std::string_view text) override;
    void Diagnose(std::string_view text) override;
    void SetProgress(int position) override;
    void HideMainWindow() override;
    void ShowMainWindow() override;
    k4::NotConnectedChoice ShowDeviceNotConnected() override;
    k4::DeviceEmptyResult ShowDeviceEmpty() override;
    k4::DataFoundChoice ShowDataFound() override;
    std::optional<std::string> ShowSaveFile() override;
    k4::SaveCompleteResult ShowSaveComplete() override;
    void PostQuit() override;

    // The program is closing: the main window goes, every dialog of the pass
    // that is up is closed, and none is shown any more (each prompt then
    // answers as if closed). Messages still reach the diagnostic output.
    void CloseForEnd();

private:
    bool m_closing = false;
    MainWindow& m_window;
    std::string m_documentsFolder;
    std::string m_homeFolder;
};

} // namespace k4app
