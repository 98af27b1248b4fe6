#pragma once
// The desktop program's test classes, which one program runs, and how they
// act on modal windows from the event loop that exec() runs.
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <memory>

std::unique_ptr<QObject> DialogTests();
std::unique_ptr<QObject> DesktopProgramTests();

namespace k4apptest {

// Runs `act` on the active modal window once one of type `Window` is up;
// gives up silently after five seconds (the test's own checks then fail) or
// when `owner` goes.
template <typename Window = QWidget, typename Act>
void WhenModal(Act act, QObject* owner = nullptr)
{
    auto* timer = new QTimer(owner);
    QElapsedTimer clock;
    clock.start();
    QObject::connect(timer, &QTimer::timeout, [timer, clock, act = std::move(act)] {
        auto* modal = qobject_cast<Window*>(QApplication::activeModalWidget());
        const bool found = modal && modal->isVisible();
        if (!found && clock.elapsed() < 5000)
            return;
        timer->stop();
        timer->deleteLater();
        if (found)
            act(modal);
    });
    timer->start(5);
}

} // namespace k4apptest
