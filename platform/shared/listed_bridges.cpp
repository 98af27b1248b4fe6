#include "platform/shared/listed_bridges.h"

#include <map>
#include <mutex>

#include "platform/shared/bridge_device.h"

namespace k4 {

namespace {

struct Identifiers {
    std::uint16_t vid = 0;
    std::uint16_t pid = 0;
};

class ListedBridgeLibrary final : public BridgeLibrary {
public:
    explicit ListedBridgeLibrary(BridgeLister lister) : m_lister(std::move(lister)) {}

    ~ListedBridgeLibrary() override
    {
        for (const auto& [handle, ids] : m_open)
            CloseBridgeDevice(handle);
    }

    void GetNumDevices(std::uint32_t& count) override
    {
        std::vector<AttachedBridge> bridges = m_lister();
        std::lock_guard lock(m_mutex);
        m_listed = std::move(bridges);
        count = static_cast<std::uint32_t>(m_listed.size());
    }

    int Open(std::uint32_t index, BridgeHandle& handle) override
    {
        std::lock_guard lock(m_mutex);
        if (index >= m_listed.size())
            return kOpenFailed;
        const AttachedBridge& bridge = m_listed[index];
        if (bridge.stillAttached && !bridge.stillAttached())
            return kOpenFailed;
        const BridgeHandle opened = OpenBridgeDevice(bridge.devicePath);
        if (opened == kNoBridge)
            return kOpenFailed;
        handle = opened;
        m_open[handle] = Identifiers{bridge.vid, bridge.pid};
        return 0;
    }

    void GetVid(BridgeHandle handle, std::uint16_t& vid) override
    {
        std::lock_guard lock(m_mutex);
        const auto found = m_open.find(handle);
        vid = found == m_open.end() ? 0 : found->second.vid;
    }

    void GetPid(BridgeHandle handle, std::uint16_t& pid) override
    {
        std::lock_guard lock(m_mutex);
        const auto found = m_open.find(handle);
        pid = found == m_open.end() ? 0 : found->second.pid;
    }

    bool GetListedIds(std::uint32_t index, std::uint16_t& vid, std::uint16_t& pid) override
    {
        std::lock_guard lock(m_mutex);
        if (index >= m_listed.size())
            return false;
        vid = m_listed[index].vid;
        pid = m_listed[index].pid;
        return true;
    }

    // Only handles this library opened are closed, so a stray second close
    // cannot hit a handle that the system has since given to another opener.
    void Close(BridgeHandle handle) override
    {
        std::lock_guard lock(m_mutex);
        if (m_open.erase(handle) != 0)
            CloseBridgeDevice(handle);
    }

private:
    static constexpr int kOpenFailed = 1;

    BridgeLister m_lister;
    std::mutex m_mutex;
    std::vector<AttachedBridge> m_listed;
    std::map<BridgeHandle, Identifiers> m_open;
};

} // namespace

std::unique_ptr<BridgeLibrary> MakeListedBridgeLibrary(BridgeLister lister)
{
    return std::make_unique<ListedBridgeLibrary>(std::move(lister));
}

} // namespace k4
