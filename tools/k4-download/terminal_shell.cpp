#include "tools/k4-download/terminal_shell.h"

#include "common/output_path.h"

namespace k4dl {

namespace {

constexpr std::string_view kSearchingText = "Searching for Pumpvisor Data";
constexpr int kProgressEnd = 10;

} // namespace

TerminalShell::TerminalShell(std::FILE* out, std::string typedName, std::string documentsFolder,
                             std::string homeFolder)
    : m_out(out), m_typedName(std::move(typedName)), m_documentsFolder(std::move(documentsFolder)),
      m_homeFolder(std::move(homeFolder))
{
}

void TerminalShell::Line(std::string_view text)
{
    std::fprintf(m_out, "%.*s\n", static_cast<int>(text.size()), text.data());
    std::fflush(m_out);
}

void TerminalShell::Answer(std::string_view button)
{
    std::fprintf(m_out, "  -> %.*s\n", static_cast<int>(button.size()), button.data());
    std::fflush(m_out);
}

void TerminalShell::ShowMessage(std::string_view text)
{
    Line(text);
}

void TerminalShell::SetProgress(int position)
{
    if (position <= 0)
        return; // a new series starts; the window's text says so when shown
    std::fprintf(m_out, "%.*s %d/%d\n", static_cast<int>(kSearchingText.size()), kSearchingText.data(), position,
                 kProgressEnd);
    std::fflush(m_out);
}

void TerminalShell::HideMainWindow()
{
    m_windowShown = false;
}

void TerminalShell::ShowMainWindow()
{
    if (m_windowShown)
        return;
    m_windowShown = true;
    Line(kSearchingText);
}

int TerminalShell::ShowDeviceNotConnected()
{
    Line("Device Not Connected");
    Answer("Exit");
    return k4::kNotConnectedExit;
}

int TerminalShell::ShowDeviceEmpty()
{
    Line("Device Empty");
    Answer("Exit");
    return 0;
}

int TerminalShell::ShowDataFound()
{
    Line("Pumpvisor Data Found");
    Answer("Download Data");
    return k4::kDataFoundDownload;
}

// The dialog stays open on a refused name; a terminal user cannot type
// again, so a refusal cancels.
int TerminalShell::ShowSaveFile(std::string& basePath)
{
    Line("Download Complete Save File");
    Answer("Save As " + m_typedName);
    std::string resolved;
    switch (k4::ResolveSavePath(m_typedName, m_documentsFolder, m_homeFolder, resolved)) {
    case k4::SaveCheck::Ok:
        basePath = resolved;
        return k4::kSaveFileSave;
    case k4::SaveCheck::EmptyName:
        Line(k4::kEnterFileNameMessage);
        break;
    case k4::SaveCheck::DataFolderMissing:
        Line(k4::kCreateDataFolderMessage);
        break;
    }
    Answer("Cancel");
    basePath.clear();
    return k4::kSaveFileCancel;
}

int TerminalShell::ShowSaveComplete()
{
    Line("Save Successful");
    Answer("Exit");
    return 0;
}

} // namespace k4dl
