#pragma once
// Carries the worker's shell calls to the GUI thread and waits for them.
#include "session/ui_thread_shell.h"

class QObject;

namespace k4app {

class GuiThreadRunner final : public k4::UiThreadRunner {
public:
    // `context` lives on the GUI thread for as long as the worker runs.
    explicit GuiThreadRunner(QObject& context) : m_context(context) {}
    void RunAndWait(const std::function<void()>& task) override;

private:
    QObject& m_context;
};

} // namespace k4app
