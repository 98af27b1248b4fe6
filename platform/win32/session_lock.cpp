#include "platform/session_lock.h"

#include <windows.h>

#include <string>

namespace k4 {

namespace {

class MutexLock final : public SessionLock {
public:
    explicit MutexLock(HANDLE mutex) : m_mutex(mutex) {}
    ~MutexLock() override
    {
        if (m_mutex != nullptr)
            CloseHandle(m_mutex);
    }

private:
    HANDLE m_mutex;
};

} // namespace

std::unique_ptr<SessionLock> TakeSessionLock(std::string_view name)
{
    // "Local\": one per log-on session, so that every user of a shared
    // computer has his own launcher.
    const std::string full = "Local\\" + std::string(name);
    const HANDLE mutex = CreateMutexA(nullptr, FALSE, full.c_str());
    if (mutex != nullptr && GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return nullptr;
    }
    return std::make_unique<MutexLock>(mutex);
}

} // namespace k4
