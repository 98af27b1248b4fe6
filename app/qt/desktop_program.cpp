#include "app/qt/desktop_program.h"

#include <QCoreApplication>

#include "app/qt/about_dialog.h"

namespace k4app {

DesktopProgram::DesktopProgram(k4::SessionParts parts, std::string documentsFolder, std::string homeFolder)
    : m_shell(m_window, std::move(documentsFolder), std::move(homeFolder)), m_runner(*this),
      m_uiShell(m_shell, m_runner)
{
    auto finished = std::move(parts.finished);
    parts.finished = [this, finished = std::move(finished)](k4::PassOutcome outcome) {
        if (finished)
            finished(outcome);
        // Queued: the worker's thread has returned from the pass, and the
        // GUI thread learns of it in its own time.
        QMetaObject::invokeMethod(
            this, [this] { emit Ended(); }, Qt::QueuedConnection);
    };
    m_session = std::make_unique<k4::DownloadSession>(m_uiShell, std::move(parts));

    connect(&m_window, &MainWindow::AboutRequested, this, &DesktopProgram::OpenAbout);
    // Closing the window stops the pass; a file being written is finished
    // first, and Ended follows when the worker has returned.
    connect(&m_window, &MainWindow::CloseRequested, this, &DesktopProgram::End);
}

DesktopProgram::~DesktopProgram()
{
    // The worker may be waiting for this thread to run a shell call; keep
    // serving them until it has ended, so that joining it cannot deadlock.
    m_session->Stop();
    while (!m_session->WaitFor(std::chrono::milliseconds(10)))
        QCoreApplication::processEvents();
    m_session.reset();
}

void DesktopProgram::End()
{
    // The flag first: a prompt closed below must find the pass stopping.
    m_session->Stop();
    m_shell.CloseForEnd();
}

void DesktopProgram::Start()
{
    m_window.show();
    m_session->Start();
}

void DesktopProgram::OpenAbout()
{
    AboutDialog about([this](auto done) { m_session->RequestFirmwareVersion(std::move(done)); }, &m_window);
    about.exec();
}

} // namespace k4app
