#include "app/qt/desktop_shell.h"

#include <string>

#include <QApplication>
#include <QDialog>
#include <QtGlobal>

#include "app/qt/main_window.h"
#include "app/qt/message_box.h"
#include "app/qt/prompt_dialog.h"
#include "app/qt/save_file_dialog.h"

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
{}

void DesktopShell::ShowMessage(std::string_view text)
{
    // On the diagnostic output too: what the user was told, in order, for
    // support.
    Diagnose("message: " + std::string(text));
    if (!m_closing)
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
    if (m_closing)
        return;
    m_window.show();
    m_window.raise();
    m_window.activateWindow();
}

k4::NotConnectedChoice DesktopShell::ShowDeviceNotConnected()
{
    if (m_closing)
        return k4::NotConnectedChoice::Closed;
    return static_cast<k4::NotConnectedChoice>(RunPrompt(Prompt::DeviceNotConnected));
}

k4::DeviceEmptyResult DesktopShell::ShowDeviceEmpty()
{
    if (m_closing)
        return k4::DeviceEmptyResult::Closed;
    return static_cast<k4::DeviceEmptyResult>(RunPrompt(Prompt::DeviceEmpty));
}

k4::DataFoundChoice DesktopShell::ShowDataFound()
{
    if (m_closing)
        return k4::DataFoundChoice::Cancel;
    return static_cast<k4::DataFoundChoice>(RunPrompt(Prompt::DataFound));
}

std::optional<std::string> DesktopShell::ShowSaveFile()
{
    if (m_closing)
        return std::nullopt;
    SaveFileDialog dialog(m_documentsFolder, m_homeFolder);
    if (dialog.exec() != int(k4::SaveFileResult::Save))
        return std::nullopt;
    return dialog.BasePath();
}

k4::SaveCompleteResult DesktopShell::ShowSaveComplete()
{
    if (m_closing)
        return k4::SaveCompleteResult::Closed;
    return static_cast<k4::SaveCompleteResult>(RunPrompt(Prompt::SaveComplete));
}

void DesktopShell::PostQuit()
{
    // The program ends once the worker has returned (DesktopProgram::Ended);
    // until then nothing of the pass stays on screen.
    m_window.hide();
}

void DesktopShell::CloseForEnd()
{
    m_closing = true;
    m_window.hide();
    // The dialogs' own loops end; the worker, its run flag cleared, shows
    // nothing after them.
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* dialog = qobject_cast<QDialog*>(widget); dialog && dialog->isVisible())
            dialog->done(QDialog::Rejected);
}

} // namespace k4app
