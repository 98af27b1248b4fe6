#include "link/bridge_search.h"

namespace k4 {

namespace {

// 0 stands for an identifier missing from the configuration, and a missing
// identifier must match nothing, not a bridge whose identifier read failed.
bool IdentifiersMatch(std::uint16_t bridgeVid, std::uint16_t bridgePid, std::uint32_t vid, std::uint32_t pid)
{
    if (vid == 0 || pid == 0)
        return false;
    return std::uint32_t{bridgeVid} == vid && std::uint32_t{bridgePid} == pid;
}

} // namespace

bool ConnectMatchingBridge(DeviceLink& link, std::uint32_t vid, std::uint32_t pid)
{
    BridgeLibrary& bridges = link.Bridges();
    std::uint32_t count = 0;
    bridges.GetNumDevices(count);

    for (std::uint32_t index = 0; index < count; ++index) {
        // Another maker's device is not ours to open: each open raises its
        // modem lines (a development board resets on it).
        std::uint16_t listedVid = 0;
        std::uint16_t listedPid = 0;
        if (bridges.GetListedIds(index, listedVid, listedPid) && !IdentifiersMatch(listedVid, listedPid, vid, pid))
            continue;
        BridgeHandle handle = kNoBridge;
        if (bridges.Open(index, handle) != 0)
            continue; // held by someone else, or gone meanwhile
        std::uint16_t bridgeVid = 0;
        std::uint16_t bridgePid = 0;
        bridges.GetVid(handle, bridgeVid);
        bridges.GetPid(handle, bridgePid);
        if (IdentifiersMatch(bridgeVid, bridgePid, vid, pid)) {
            link.AdoptBridge(handle);
            return true;
        }
        bridges.Close(handle);
    }
    return false;
}

} // namespace k4
