// The desktop download program: one download pass per run.
#include <QApplication>
#include <QIcon>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <unistd.h>

#include "app/qt/desktop_program.h"
#include "app/qt/qt_text.h"
#include "common/texts.h"
#include "platform/user_folders.h"
#include "platform/window_titles.h"

namespace {

// For the start-up benchmark: when the main window first appears, on the
// same clock as `date +%s.%N`.
void ReportShownTime()
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    std::fprintf(stderr, "k4-shown %lld.%09ld\n", static_cast<long long>(now.tv_sec), now.tv_nsec);
}

int g_stopPipe[2] = {-1, -1};

void AskToEnd(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_stopPipe[1], &byte, 1);
}

// SIGTERM (the session ends, `kill`) and SIGINT end the program like its
// close box, also while the main window is hidden during the transfer: the
// handler only wakes the GUI thread, which stops the pass.
void EndOnStopSignals(k4app::DesktopProgram& program)
{
    if (::pipe(g_stopPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(g_stopPipe[0], QSocketNotifier::Read, &program);
    QObject::connect(notifier, &QSocketNotifier::activated, &program, [&program, notifier] {
        notifier->setEnabled(false);
        program.End();
    });
    std::signal(SIGTERM, AskToEnd);
    std::signal(SIGINT, AskToEnd);
}

} // namespace

int main(int argc, char** argv)
{
    // A window with exactly the program's name is one of another instance's
    // message boxes: that instance is busy with the unit, so this one leaves
    // before it reads anything or touches a bridge.
    if (k4::WindowTitleExists(k4::text::kApplicationName))
        return 0;

    QApplication app(argc, argv);
    // Message boxes take this as their caption.
    QApplication::setApplicationName(k4app::Q(k4::text::kApplicationName));
    QApplication::setApplicationDisplayName(QString());
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/k4/k4-icon.png")));
    // The main window hides while the prompts show; only the end of the
    // pass ends the program.
    QApplication::setQuitOnLastWindowClosed(false);

    k4app::DesktopProgram program({}, k4::DocumentsFolder(), k4::HomeFolder());
    QObject::connect(&program, &k4app::DesktopProgram::Ended, &app, &QCoreApplication::quit);
    if (const char* report = std::getenv("K4_REPORT_SHOWN"); report && std::string_view(report) == "1")
        QObject::connect(&program.Window(), &k4app::MainWindow::FirstShown, &ReportShownTime);
    EndOnStopSignals(program);
    program.Start();
    return app.exec();
}
