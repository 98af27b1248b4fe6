#include "tools/k4-download/terminal_shell.h"

#include "common/output_path.h"
#include "common/texts.h"

namespace k4dl {

namespace {

constexpr int kProgressEnd = 10;

} // namespace

TerminalShell::TerminalShell(std::FILE* out, std::string typedName, std::string documentsFolder, std::string homeFolder)
    : m_out(out), m_typedName(std::move(typedName)), m_documentsFolder(std::move(documentsFolder)),
      m_homeFolder(std::move(homeFolder))
{}

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
    std::fprintf(m_out, "%.*s %d/%d\n", static_cast<int>(k4::text::kSearching.size()), k4::text::kSearching.data(),
                 position, kProgressEnd);
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
    Line(k4::text::kSearching);
}

k4::NotConnectedChoice TerminalShell::ShowDeviceNotConnected()
{
    Line(k4::text::kDeviceNotConnected);
    Answer(k4::text::kExitButton);
    return k4::NotConnectedChoice::Exit;
}

k4::DeviceEmptyResult TerminalShell::ShowDeviceEmpty()
{
    Line(k4::text::kDeviceEmpty);
    Answer(k4::text::kExitButton);
    return k4::DeviceEmptyResult::Exit;
}

k4::DataFoundChoice TerminalShell::ShowDataFound()
{
    Line(k4::text::kDataFound);
    Answer(k4::text::kDownloadDataButton);
    return k4::DataFoundChoice::Download;
}

// The dialog stays open on a refused name; a terminal user cannot type
// again, so a refusal cancels.
std::optional<std::string> TerminalShell::ShowSaveFile()
{
    Line(k4::text::kSaveFileTitle);
    Answer(std::string(k4::text::kSaveAsLabel) + " " + m_typedName);
    std::string resolved;
    const k4::SaveCheck check = k4::ResolveSavePath(m_typedName, m_documentsFolder, m_homeFolder, resolved);
    if (check == k4::SaveCheck::Ok)
        return resolved;
    Line(k4::SaveCheckMessage(check));
    Answer(k4::text::kCancelButton);
    return std::nullopt;
}

k4::SaveCompleteResult TerminalShell::ShowSaveComplete()
{
    Line(k4::text::kSaveComplete);
    Answer(k4::text::kExitButton);
    return k4::SaveCompleteResult::Exit;
}

} // namespace k4dl
