#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace k4 {

// The one configuration key that both programs share.
inline constexpr std::string_view kConfigKeyPath = "SOFTWARE\\Tavrin Co\\K4 Data Transfer Application\\Configuration";

// Each returns true exactly when the value was there and readable; the
// destination is written only then. Anything that is not an unsigned
// 32-bit number counts as absent for the Dword readers.
bool ReadConfigDword(std::string_view keyPath, std::string_view valueName, std::uint32_t& value);
// At most 1023 characters; a longer value counts as absent.
bool ReadConfigString(std::string_view keyPath, std::string_view valueName, std::string& value);
bool WriteConfigDword(std::string_view keyPath, std::string_view valueName, std::uint32_t value);

// How a stored text becomes a 32-bit value: decimal or 0x-hexadecimal,
// nothing else (no sign, no spaces, no overflow).
bool ParseConfigDword(std::string_view text, std::uint32_t& value);

inline constexpr std::size_t kConfigStringMax = 1023;

struct DeviceIds {
    std::uint32_t vid = 0;
    std::uint32_t pid = 0;
};

// VID then PID; PID is not read when VID is missing, and a missing value is 0.
DeviceIds ReadDeviceIds();

} // namespace k4
