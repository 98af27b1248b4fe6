#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/bridge_library.h"

namespace k4 {

// One bridge as an enumeration found it.
struct AttachedBridge {
    std::string devicePath; // "COM5", "\\.\COM5" or a file name
    std::uint16_t vid = 0;
    std::uint16_t pid = 0;
    // False once the bridge has been unplugged since the enumeration.
    std::function<bool()> stillAttached;
};

using BridgeLister = std::function<std::vector<AttachedBridge>()>;

// The five bridge operations over any way of listing bridges: the count
// takes a fresh list, Open works on the entry of the last count, and the
// handle is the exclusively opened port's file handle.
std::unique_ptr<BridgeLibrary> MakeListedBridgeLibrary(BridgeLister lister);

} // namespace k4
