#include "session/ui_thread_shell.h"

#include <string>

namespace k4 {

UiThreadShell::UiThreadShell(DownloadShell& uiShell, UiThreadRunner& runner) : m_ui(uiShell), m_runner(runner) {}

void UiThreadShell::ShowMessage(std::string_view text)
{
    const std::string copy(text);
    OnUiThread([&] { m_ui.ShowMessage(copy); });
}

void UiThreadShell::Diagnose(std::string_view text)
{
    m_ui.Diagnose(text);
}

void UiThreadShell::SetProgress(int position)
{
    OnUiThread([&] { m_ui.SetProgress(position); });
}

void UiThreadShell::HideMainWindow()
{
    OnUiThread([&] { m_ui.HideMainWindow(); });
}

void UiThreadShell::ShowMainWindow()
{
    OnUiThread([&] { m_ui.ShowMainWindow(); });
}

NotConnectedChoice UiThreadShell::ShowDeviceNotConnected()
{
    return OnUiThread([&] { return m_ui.ShowDeviceNotConnected(); });
}

DeviceEmptyResult UiThreadShell::ShowDeviceEmpty()
{
    return OnUiThread([&] { return m_ui.ShowDeviceEmpty(); });
}

DataFoundChoice UiThreadShell::ShowDataFound()
{
    return OnUiThread([&] { return m_ui.ShowDataFound(); });
}

std::optional<std::string> UiThreadShell::ShowSaveFile()
{
    return OnUiThread([&] { return m_ui.ShowSaveFile(); });
}

SaveCompleteResult UiThreadShell::ShowSaveComplete()
{
    return OnUiThread([&] { return m_ui.ShowSaveComplete(); });
}

void UiThreadShell::PostQuit()
{
    OnUiThread([&] { m_ui.PostQuit(); });
}

} // namespace k4
