#pragma once
#include <cstdint>

namespace k4 {

// The handle of an open bridge; it is also the handle of its serial channel.
using BridgeHandle = std::intptr_t;
inline constexpr BridgeHandle kNoBridge = -1;

// The five operations of the USB-to-serial bridge library that both
// programs rely on. Return values that callers do not examine are void.
class BridgeLibrary {
public:
    virtual ~BridgeLibrary() = default;
    // Number of attached bridges; 0 means none.
    virtual void GetNumDevices(std::uint32_t& count) = 0;
    // 0 on success with `handle` written; any other value: the open failed
    // (also when another opener already holds the bridge).
    virtual int Open(std::uint32_t index, BridgeHandle& handle) = 0;
    virtual void GetVid(BridgeHandle handle, std::uint16_t& vid) = 0;
    virtual void GetPid(BridgeHandle handle, std::uint16_t& pid) = 0;
    virtual void Close(BridgeHandle handle) = 0;

    // The identifiers that the system itself lists for bridge `index` of
    // the last count, read without opening it: an open raises the modem
    // lines of whatever device sits there and, where opens are exclusive,
    // can refuse that device's own program. False where only an open can
    // tell them (the bridge maker's library).
    virtual bool GetListedIds(std::uint32_t index, std::uint16_t& vid, std::uint16_t& pid)
    {
        (void)index;
        (void)vid;
        (void)pid;
        return false;
    }
};

} // namespace k4
