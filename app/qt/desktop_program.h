#pragma once
// One run of the desktop program: the main window, the shell that carries
// the worker's calls to the GUI thread, and the download session.
#include <QObject>
#include <memory>

#include "app/qt/desktop_shell.h"
#include "app/qt/gui_thread_runner.h"
#include "app/qt/main_window.h"
#include "session/download_session.h"
#include "session/ui_thread_shell.h"

namespace k4app {

class DesktopProgram final : public QObject {
    Q_OBJECT
public:
    DesktopProgram(k4::SessionParts parts, std::string documentsFolder, std::string homeFolder);
    // Stops the pass and waits for it, serving its calls meanwhile.
    ~DesktopProgram() override;

    // Shows the main window and starts the pass (reading the configuration).
    void Start();
    // Like closing the main window: the pass stops within one read interval
    // (a file being written is finished first), its windows close, and
    // Ended follows.
    void End();

    MainWindow& Window() { return m_window; }
    k4::DownloadSession& Session() { return *m_session; }

signals:
    // The worker has returned: the program may end.
    void Ended();

private:
    void OpenAbout();

    MainWindow m_window;
    DesktopShell m_shell;
    GuiThreadRunner m_runner;
    k4::UiThreadShell m_uiShell;
    std::unique_ptr<k4::DownloadSession> m_session;
};

} // namespace k4app
