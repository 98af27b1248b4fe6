// Device changes on Windows. The system sends its device events to a
// window (RegisterDeviceNotification), so for real ports the launcher's
// hidden window passes them on through Notify; the folder of simulated
// bridges has its change notification. Stop has an event of its own in
// the same wait, so that stopping wakes the watch at once.
#include <windows.h>

#include <atomic>
#include <cstdlib>

#include "platform/bridge_changes.h"
#include "platform/system_bridges.h"
#include "platform/win32/wide_text.h"

namespace k4 {

namespace {

class EventBridgeChanges final : public BridgeChanges {
public:
    // `folderChange`: a change notification handle, or none for the ports.
    explicit EventBridgeChanges(HANDLE folderChange)
        : m_folderChange(folderChange), m_notified(CreateEventA(nullptr, FALSE, FALSE, nullptr)),
          m_stopped(CreateEventA(nullptr, TRUE, FALSE, nullptr))
    {}

    ~EventBridgeChanges() override
    {
        if (m_folderChange != nullptr)
            FindCloseChangeNotification(m_folderChange);
        if (m_notified != nullptr)
            CloseHandle(m_notified);
        if (m_stopped != nullptr)
            CloseHandle(m_stopped);
    }

    bool Usable() const { return m_notified != nullptr && m_stopped != nullptr; }

    Wake WaitUntil(Clock::time_point deadline) override
    {
        HANDLE handles[3] = {m_stopped, m_notified, m_folderChange};
        const DWORD count = m_folderChange != nullptr ? 3 : 2;
        const DWORD result = WaitForMultipleObjects(count, handles, FALSE, TimeoutUntil(deadline));
        if (result == WAIT_OBJECT_0 || WaitForSingleObject(m_stopped, 0) == WAIT_OBJECT_0)
            return Wake::Stopped;
        if (result == WAIT_OBJECT_0 + 2)
            FindNextChangeNotification(m_folderChange);
        if (result == WAIT_OBJECT_0 + 1 || result == WAIT_OBJECT_0 + 2)
            return Wake::Changed;
        return Wake::TimedOut;
    }

    void Stop() override { SetEvent(m_stopped); }
    void Notify() override { SetEvent(m_notified); }

private:
    static DWORD TimeoutUntil(Clock::time_point deadline)
    {
        if (deadline == Clock::time_point::max())
            return INFINITE;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        return left <= 0 ? 0 : static_cast<DWORD>(left < 60'000 ? left : 60'000);
    }

    HANDLE m_folderChange;
    HANDLE m_notified;
    HANDLE m_stopped;
};

std::unique_ptr<BridgeChanges> Usable(std::unique_ptr<EventBridgeChanges> changes)
{
    if (!changes->Usable())
        return nullptr;
    return changes;
}

} // namespace

std::unique_ptr<BridgeChanges> MakeFolderBridgeChanges(const std::string& folder)
{
    const HANDLE change = FindFirstChangeNotificationW(Widen(folder).c_str(), FALSE,
                                                       FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE |
                                                           FILE_NOTIFY_CHANGE_SIZE);
    if (change == INVALID_HANDLE_VALUE)
        return nullptr;
    return Usable(std::make_unique<EventBridgeChanges>(change));
}

std::unique_ptr<BridgeChanges> MakeSystemBridgeChanges(std::chrono::milliseconds fallbackInterval)
{
    const std::string simulated = EnvironmentVariable(kBridgeDirVariable);
    std::unique_ptr<BridgeChanges> changes =
        !simulated.empty() ? MakeFolderBridgeChanges(simulated) : Usable(std::make_unique<EventBridgeChanges>(nullptr));
    if (!changes)
        return MakeTickingBridgeChanges(fallbackInterval);
    return changes;
}

} // namespace k4
