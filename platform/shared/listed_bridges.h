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
    std::string devicePath; // "/dev/ttyUSB0"; on Windows "COM5", "\\.\COM5" or a file name
    std::uint16_t vid = 0;
    std::uint16_t pid = 0;
    // False once the bridge has been unplugged since the enumeration.
    std::function<bool()> stillAttached;
};

using BridgeLister = std::function<std::vector<AttachedBridge>()>;

// Code that both back ends share: the bridges they list by their own means
// (sysfs, SetupAPI, the folder of simulated bridges) become the five
// operations here.
//
// The five bridge operations over any way of listing bridges: the count
// takes a fresh list, Open works on the entry of the last count, and the
// handle is the exclusively opened device's (see bridge_device.h).
std::unique_ptr<BridgeLibrary> MakeListedBridgeLibrary(BridgeLister lister);

} // namespace k4
