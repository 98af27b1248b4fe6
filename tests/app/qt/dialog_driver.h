#pragma once
// Modal dialogs block in exec(); these helpers act on them from the event
// loop that exec() runs.
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

namespace k4apptest {

using Match = std::function<bool(QWidget*)>;

// Runs `act` on the active modal window once one that `match` accepts is up;
// gives up silently after `timeoutMs` (the test's own checks then fail) or
// when `owner` goes.
inline void WhenModal(Match match, std::function<void(QWidget*)> act, QObject* owner = nullptr, int timeoutMs = 5000)
{
    auto* timer = new QTimer(owner);
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout,
                     [timer, clock, match = std::move(match), act = std::move(act), timeoutMs] {
                         QWidget* modal = QApplication::activeModalWidget();
                         const bool found = modal && modal->isVisible() && match(modal);
                         if (!found && clock->elapsed() < timeoutMs)
                             return;
                         timer->stop();
                         timer->deleteLater();
                         if (found)
                             act(modal);
                     });
    timer->start();
}

inline void WhenModal(std::function<void(QWidget*)> act)
{
    WhenModal([](QWidget*) { return true; }, std::move(act));
}

template <typename Window>
void WhenModalOf(std::function<void(Window*)> act, QObject* owner = nullptr)
{
    WhenModal([](QWidget* modal) { return qobject_cast<Window*>(modal) != nullptr; },
              [act = std::move(act)](QWidget* modal) { act(qobject_cast<Window*>(modal)); }, owner);
}

} // namespace k4apptest
