#pragma once
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "link/download_shell.h"

namespace k4dl {

// The pass's window and prompts on a terminal: every text goes to one
// stream on a line of its own, and each prompt is answered as a user who
// wants the data would answer it. The name typed into the save dialog is
// fixed in advance.
class TerminalShell final : public k4::DownloadShell {
public:
    TerminalShell(std::FILE* out, std::string typedName, std::string documentsFolder, std::string homeFolder);

    void ShowMessage(std::string_view text) override;
    void SetProgress(int position) override;
    void HideMainWindow() override;
    void ShowMainWindow() override;
    k4::NotConnectedChoice ShowDeviceNotConnected() override;
    k4::DeviceEmptyResult ShowDeviceEmpty() override;
    k4::DataFoundChoice ShowDataFound() override;
    std::optional<std::string> ShowSaveFile() override;
    k4::SaveCompleteResult ShowSaveComplete() override;
    void PostQuit() override {}

private:
    void Line(std::string_view text);
    void Answer(std::string_view button);

    std::FILE* m_out;
    std::string m_typedName;
    std::string m_documentsFolder;
    std::string m_homeFolder;
    bool m_windowShown = false;
};

} // namespace k4dl
