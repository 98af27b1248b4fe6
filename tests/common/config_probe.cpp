// Prints what the configuration store reads, for tests that need a fresh
// process per configuration (the settings paths are fixed at first use).
#include <cstdio>
#include <string>

#include "common/device_ids.h"

int main()
{
    const k4::DeviceIds ids = k4::ReadDeviceIds();
    std::string path = "-";
    k4::ReadConfigString(k4::kConfigKeyPath, "MainAppPath", path);
    std::printf("%u %u %s\n", ids.vid, ids.pid, path.c_str());
    return 0;
}
