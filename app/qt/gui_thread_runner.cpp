#include "app/qt/gui_thread_runner.h"

#include <QMetaObject>
#include <QObject>

namespace k4app {

void GuiThreadRunner::RunAndWait(const std::function<void()>& task)
{
    QMetaObject::invokeMethod(
        &m_context, [&task] { task(); }, Qt::BlockingQueuedConnection);
}

} // namespace k4app
