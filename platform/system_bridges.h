#pragma once
#include <memory>
#include <string>

#include "platform/bridge_library.h"
#include "platform/serial_channel.h"

namespace k4 {

// Names the folder of simulated bridges; when set, it replaces the USB bus.
inline constexpr const char* kBridgeDirVariable = "K4_BRIDGE_DIR";

// The bridges of this machine: the simulated ones when K4_BRIDGE_DIR is set,
// otherwise the USB serial devices.
std::unique_ptr<BridgeLibrary> MakeSystemBridgeLibrary();

// Exactly the regular files "*.bridge" in `folder`, in file-name order; a
// malformed file is not counted, and a file that has gone is unplugged.
std::unique_ptr<BridgeLibrary> MakeSimulatedBridgeLibrary(const std::string& folder);

// The USB serial devices under `sysRoot`/class/tty whose USB device gives
// idVendor and idProduct, opened as `devRoot`/<name>, in name order.
std::unique_ptr<BridgeLibrary> MakeUsbSerialBridgeLibrary(const std::string& sysRoot = "/sys",
                                                          const std::string& devRoot = "/dev");

// The serial operations on a handle that one of the libraries above opened.
std::unique_ptr<SerialChannel> MakeSystemSerialChannel();

} // namespace k4
