#pragma once
#include <cstdio>
#include <string>
#include <string_view>

#include "link/download_worker.h"

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
    int ShowDeviceNotConnected() override;
    int ShowDeviceEmpty() override;
    int ShowDataFound() override;
    int ShowSaveFile(std::string& basePath) override;
    int ShowSaveComplete() override;
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
