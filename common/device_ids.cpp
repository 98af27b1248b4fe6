#include "common/device_ids.h"

namespace k4 {

DeviceIds ReadDeviceIds()
{
    DeviceIds ids;
    if (!ReadConfigDword(kConfigKeyPath, "VID", ids.vid)) {
        ids.vid = 0;
        return ids; // PID is not read without a VID
    }
    if (!ReadConfigDword(kConfigKeyPath, "PID", ids.pid))
        ids.pid = 0;
    return ids;
}

} // namespace k4
