#pragma once
#include <cstdint>

#include "link/device_link.h"

namespace k4 {

// One search poll: opens each attached bridge in turn and hands the first
// whose vendor and product identifiers equal the configured ones to `link`
// (AdoptBridge); every other opened bridge is closed again at once. A bridge
// whose listed identifiers are others is not opened at all.
// Returns true when a bridge was adopted.
bool ConnectMatchingBridge(DeviceLink& link, std::uint32_t vid, std::uint32_t pid);

} // namespace k4
