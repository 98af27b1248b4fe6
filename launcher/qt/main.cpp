// Dockstart: sits in the tray, watches for the download unit and starts the
// main program each time the unit is plugged in.
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QSocketNotifier>
#include <QSystemTrayIcon>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

#include "common/texts.h"
#include "watch/launcher_startup.h"
#include "platform/bridge_changes.h"
#include "platform/program_starter.h"
#include "platform/session_lock.h"
#include "platform/system_bridges.h"
#include "platform/window_titles.h"
#include "watch/device_watch.h"
#include "watch/missing_port.h"

namespace {

std::atomic<bool> g_bWatch{true};
int g_stopSignalPipe[2] = {-1, -1};

QString Text(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

bool AskStartAtLogIn()
{
    return QMessageBox::question(nullptr, Text(k4::text::kLauncherName), Text(k4::text::kStartQuestionLinux),
                                 QMessageBox::Yes | QMessageBox::No) != QMessageBox::No;
}

// Drawn rather than loaded, so that the launcher needs no file beside it.
QIcon LauncherIcon()
{
    QPixmap pixmap(64, 64);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(0x1f, 0x5f, 0xa8));
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(4, 4, 56, 56, 10, 10);
    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(30);
    painter.setFont(font);
    painter.drawText(pixmap.rect(), Qt::AlignCenter, QStringLiteral("K4"));
    painter.end();
    return QIcon(pixmap);
}

// After each poll, while no bridge shows the unit: is the unit on the USB
// bus all the same? While it is, and until the help has been said (once,
// on standard error), the watch looks again every second.
k4::AfterPoll MissingPortCheck(k4::DeviceWatch& watch, k4::DeviceIds ids)
{
    return [&watch, ids, notice = k4::MissingPortNotice(),
            said = false]() mutable -> std::optional<std::chrono::steady_clock::time_point> {
        const auto now = std::chrono::steady_clock::now();
        const bool troubled = !watch.Seen() && k4::FindUsbDeviceWithoutTty("/sys", ids).has_value();
        if (notice.Update(troubled, now)) {
            std::fprintf(stderr, "dockstart: %s", k4::MissingPortHelp(ids).c_str());
            said = true;
        }
        if (!troubled || said)
            return std::nullopt;
        return now + std::chrono::seconds(1);
    };
}

void OnStopSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(g_stopSignalPipe[1], &byte, 1);
}

// SIGTERM (log-out, a session without a tray) ends the launcher like
// "Exit" but without the question: nobody is there to answer it.
void QuitOnStopSignals(QApplication& app)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_stopSignalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(g_stopSignalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [&app] { app.quit(); });
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
}

void SayThatNoTrayIsThere()
{
    std::fputs("dockstart: no system tray is available, so the Dockstart icon cannot be shown; the unit is\n"
               "watched all the same. GNOME shows tray icons with the AppIndicator extension\n"
               "(package gnome-shell-extension-appindicator); on a bare X session a stand-alone tray\n"
               "such as trayer or stalonetray does. Without a tray, end Dockstart with SIGTERM.\n",
               stderr);
}

} // namespace

int main(int argc, char** argv)
{
    // One launcher per session: a second one (the log-in entry and the menu
    // entry both used) would start the main program a second time on each
    // arrival, and that copy would find the unit held.
    const std::unique_ptr<k4::SessionLock> onlyLauncher = k4::TakeSessionLock(k4::kLauncherLockName);
    if (!onlyLauncher)
        return 0;

    QApplication app(argc, argv);
    QApplication::setApplicationName(Text(k4::text::kLauncherName));
    // The question box is the only window; closing it must not end us.
    QApplication::setQuitOnLastWindowClosed(false);

    const k4::LauncherStart start = k4::StartLauncher(std::vector<std::string>(argv + 1, argv + argc), AskStartAtLogIn);
    if (!start.run)
        return 0;

    std::unique_ptr<k4::BridgeLibrary> bridges;
    std::unique_ptr<k4::BridgeChanges> changes;
    std::unique_ptr<k4::DeviceWatch> watch;
    std::thread watchThread;
    if (start.watch) {
        bridges = k4::MakeSystemBridgeLibrary();
        changes = k4::MakeSystemBridgeChanges(k4::kWatchInterval);
        watch = std::make_unique<k4::DeviceWatch>(*bridges, k4::SystemProgramStarter(), k4::WindowTitleExists,
                                                  start.ids, start.mainProgramFile);
        watchThread = std::thread(
            [&watch, &changes, ids = start.ids] { watch->Run(g_bWatch, *changes, MissingPortCheck(*watch, ids)); });
    }

    QMenu fileMenu(Text(k4::text::kFileMenu));
    QAction* exitAction = fileMenu.addAction(Text(k4::text::kExitButton));
    QSystemTrayIcon tray(LauncherIcon());
    tray.setToolTip(Text(k4::text::kLauncherName));
    // Right click shows the menu; a left click is deliberately left unconnected.
    tray.setContextMenu(&fileMenu);
    QObject::connect(exitAction, &QAction::triggered, &app, [&app] {
        k4::AnswerOnExit(AskStartAtLogIn);
        app.quit();
    });
    // Shown even without a tray: Qt adds the icon when a tray appears later
    // (a panel that starts after us at log-in).
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        SayThatNoTrayIsThere();
    tray.show();
    QuitOnStopSignals(app);

    const int status = app.exec();

    // The watch wakes at once; a poll under way ends before we go on.
    g_bWatch = false;
    if (changes)
        changes->Stop();
    tray.hide();
    if (watchThread.joinable())
        watchThread.join();
    return status;
}
