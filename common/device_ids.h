#pragma once
#include <cstdint>
#include <string_view>

#include "platform/config_store.h"

namespace k4 {

// The one configuration key that both programs share.
inline constexpr std::string_view kConfigKeyPath = "SOFTWARE\\Tavrin Co\\K4 Data Transfer Application\\Configuration";

struct DeviceIds {
    std::uint32_t vid = 0;
    std::uint32_t pid = 0;
};

// VID then PID; PID is not read when VID is missing, and a missing value is 0.
DeviceIds ReadDeviceIds();

} // namespace k4
