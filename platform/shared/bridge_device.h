#pragma once
// What each back end gives the shared bridge listing: a bridge's device
// opened for reading and writing by one opener at a time, and its close.
#include <string>

#include "platform/bridge_library.h"

namespace k4 {

// The open device's handle (a file descriptor, a Windows file handle), or
// kNoBridge when it cannot be opened or another opener holds it.
BridgeHandle OpenBridgeDevice(const std::string& path);
void CloseBridgeDevice(BridgeHandle handle);

} // namespace k4
