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
};

} // namespace k4
