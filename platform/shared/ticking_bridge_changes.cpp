// The watch's old poll, for a system that cannot tell of its device changes.
#include <condition_variable>
#include <mutex>

#include "platform/bridge_changes.h"

namespace k4 {

namespace {

class TickingBridgeChanges final : public BridgeChanges {
public:
    explicit TickingBridgeChanges(std::chrono::milliseconds interval)
        : m_interval(interval), m_nextTick(Clock::now() + interval)
    {}

    Wake WaitUntil(Clock::time_point deadline) override
    {
        std::unique_lock lock(m_mutex);
        const Clock::time_point until = deadline < m_nextTick ? deadline : m_nextTick;
        m_woken.wait_until(lock, until, [this] { return m_stopped || m_notified; });
        if (m_stopped)
            return Wake::Stopped;
        if (m_notified || Clock::now() >= m_nextTick) {
            m_notified = false;
            m_nextTick = Clock::now() + m_interval;
            return Wake::Changed;
        }
        return Wake::TimedOut;
    }

    void Stop() override
    {
        std::lock_guard lock(m_mutex);
        m_stopped = true;
        m_woken.notify_all();
    }

    void Notify() override
    {
        std::lock_guard lock(m_mutex);
        m_notified = true;
        m_woken.notify_all();
    }

private:
    const std::chrono::milliseconds m_interval;
    std::mutex m_mutex;
    std::condition_variable m_woken;
    Clock::time_point m_nextTick;
    bool m_stopped = false;
    bool m_notified = false;
};

} // namespace

std::unique_ptr<BridgeChanges> MakeTickingBridgeChanges(std::chrono::milliseconds interval)
{
    return std::make_unique<TickingBridgeChanges>(interval);
}

} // namespace k4
