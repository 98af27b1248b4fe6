#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

namespace k4 {

struct UsbIds {
    std::uint16_t vid = 0;
    std::uint16_t pid = 0;
};

// The identifiers in a USB device's hardware id, "USB\VID_10C4&PID_EA60"
// with anything after it ("&REV_0100", "&MI_00", an instance "\0001");
// letters in any case.
// Nothing for another bus ("FTDIBUS\...", "ACPI\PNP0501") or a mangled id.
std::optional<UsbIds> ParseUsbHardwareId(std::string_view hardwareId);

// A port name as the ports' registry key gives it: "COM" and a number.
bool IsComPortName(std::string_view name);

} // namespace k4
