#pragma once
// On Linux a plugged-in unit can stay invisible to both programs although
// the kernel sees it: another program (the braille daemon brltty) claimed
// the bridge and its serial port disappeared, or the port exists but the
// user may not open it. Neither shows as a bridge, so the user would only
// see the search fail; these help to tell him why.
#include <chrono>
#include <optional>
#include <string>

#include "common/device_ids.h"

namespace k4 {

// The USB device under `sysRoot`/bus/usb/devices whose idVendor and
// idProduct match `ids` and that has no tty below it: the sysfs path of the
// first such device, in name order. A matching device that has its tty
// gives nothing.
std::optional<std::string> FindUsbDeviceWithoutTty(const std::string& sysRoot, DeviceIds ids);

// The explanation for a unit that has had no port for a while: what
// usually causes it and what fixes it.
std::string MissingPortHelp(DeviceIds ids);

// Says the help once per run: when the same trouble has lasted kPatience.
class MissingPortNotice {
public:
    static constexpr std::chrono::seconds kPatience{3};

    // `troubled`: the check above found the trouble now. True exactly once:
    // the first time the trouble has lasted kPatience without a break.
    bool Update(bool troubled, std::chrono::steady_clock::time_point now);

private:
    std::optional<std::chrono::steady_clock::time_point> m_since;
    bool m_said = false;
};

} // namespace k4
