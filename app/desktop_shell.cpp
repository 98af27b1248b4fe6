#include "app/desktop_shell.h"

#include <string>

#include <QtGlobal>

#include "app/main_window.h"
#include "app/message_box.h"
#include "app/prompt_dialog.h"
#include "app/save_file_dialog.h"

namespace k4app {

namespace {

// The prompts have no parent: the main window is hidden while they show.
int RunPrompt(Prompt prompt)
{
    PromptDialog dialog(prompt);
    return dialog.exec();
}

} // namespace

DesktopShell::DesktopShell(MainWindow& window, std::string documentsFolder, std::string homeFolder)
    : m_window(window), m_documentsFolder(std::move(documentsFolder)), m_homeFolder(std::move(homeFolder))
{
}

void DesktopShell::ShowMessage(std::string_view text)
{
    // On the diagnostic output too: what the user was told, in order, for
    // support.
    Diagnose("message: " + std::string(text));
    ShowOkMessage(nullptr, text);
}

void DesktopShell::Diagnose(std::string_view text)
{
    qWarning("%.*s", static_cast<int>(text.size()), text.data());
}

void DesktopShell::SetProgress(int position)
{
    m_window.SetProgress(position);
}

void DesktopShell::HideMainWindow()
{
    m_window.hide();
}

void DesktopShell::ShowMainWindow()
{
    m_window.show();
    m_window.raise();
    m_window.activateWindow();
}

k4::NotConnectedChoice DesktopShell::ShowDeviceNotConnected()
{
    return static_cast<k4::NotConnectedChoice>(RunPrompt(Prompt::DeviceNotConnected));
}

k4::DeviceEmptyResult DesktopShell::ShowDeviceEmpty()
{
    return static_cast<k4::DeviceEmptyResult>(RunPrompt(Prompt::DeviceEmpty));
}

k4::DataFoundChoice DesktopShell::ShowDataFound()
{
    return static_cast<k4::DataFoundChoice>(RunPrompt(Prompt::DataFound));
}

std::optional<std::string> DesktopShell::ShowSaveFile()
{
    SaveFileDialog dialog(m_documentsFolder, m_homeFolder);
    if (dialog.exec() != int(k4::SaveFileResult::Save))
        return std::nullopt;
    return dialog.BasePath();
}

k4::SaveCompleteResult DesktopShell::ShowSaveComplete()
{
    return static_cast<k4::SaveCompleteResult>(RunPrompt(Prompt::SaveComplete));
}

void DesktopShell::PostQuit()
{
    // The program ends once the worker has returned (DesktopProgram::Ended);
    // until then nothing of the pass stays on screen.
    m_window.hide();
}

} // namespace k4app
