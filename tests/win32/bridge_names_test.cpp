// How the Windows side names bridges: hardware ids from SetupAPI, port
// names, and the simulated bridges' announcements of COM ports.
#include <gtest/gtest.h>

#include "platform/bridge_file.h"
#include "platform/win32/exclusive_port.h"
#include "platform/win32/usb_hardware_id.h"

namespace k4 {
namespace {

TEST(UsbHardwareId, IdentifiersOfUsbDevicesOnly)
{
    const struct {
        const char* id;
        std::optional<std::pair<int, int>> ids;
    } cases[] = {
        {"USB\\VID_10C4&PID_EA60", {{0x10c4, 0xea60}}},
        {"USB\\VID_10C4&PID_EA60&REV_0100", {{0x10c4, 0xea60}}},
        {"USB\\VID_10C4&PID_EA60&MI_00", {{0x10c4, 0xea60}}},
        {"USB\\VID_10C4&PID_EA60\\0001", {{0x10c4, 0xea60}}},
        {"usb\\vid_0403&pid_6001", {{0x0403, 0x6001}}},
        {"USB\\VID_FFFF&PID_0000", {{0xffff, 0x0000}}},
        {"FTDIBUS\\VID_0403+PID_6001+A50285BIA", std::nullopt},
        {"ACPI\\PNP0501", std::nullopt},
        {"USB\\VID_10C4", std::nullopt},
        {"USB\\VID_10C4&PID_EA6", std::nullopt},
        {"USB\\VID_10C&PID_EA60", std::nullopt},
        {"USB\\VID_10C4&PID_EA600", std::nullopt},
        {"USB\\VID_10G4&PID_EA60", std::nullopt},
        {"USB\\VID_10C4&MI_00&PID_EA60", std::nullopt},
        {"USB\\PID_EA60&VID_10C4", std::nullopt},
        {"USBVID_10C4&PID_EA60", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        const std::optional<UsbIds> parsed = ParseUsbHardwareId(c.id);
        ASSERT_EQ(parsed.has_value(), c.ids.has_value());
        if (parsed) {
            EXPECT_EQ(parsed->vid, c.ids->first);
            EXPECT_EQ(parsed->pid, c.ids->second);
        }
    }
}

TEST(PortNames, OnlyComAndANumberAreReachedThroughTheDeviceNamespace)
{
    const struct {
        const char* name;
        bool isPort;
        const char* opened;
    } cases[] = {
        {"COM1", true, "\\\\.\\COM1"},
        {"COM12", true, "\\\\.\\COM12"},
        {"com256", true, "\\\\.\\com256"},
        {"COM0", false, "COM0"},
        {"COM", false, "COM"},
        {"COMX", false, "COMX"},
        {"COM1234", false, "COM1234"},
        {"LPT1", false, "LPT1"},
        {"\\\\.\\COM5", false, "\\\\.\\COM5"},
        {"C:\\sim\\line", false, "C:\\sim\\line"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(IsComPortName(c.name), c.isPort);
        EXPECT_EQ(PortDevicePath(c.name), c.opened);
    }
}

TEST(BridgeFiles, WindowsDevicesAreAnnounced)
{
    const struct {
        const char* text;
        const char* device; // nullptr: not an announcement
    } cases[] = {
        {"COM5 10c4 ea60\n", "COM5"},
        {"COM5 10c4 ea60\r\n", "COM5"},
        {"\\\\.\\COM12 10c4 ea60", "\\\\.\\COM12"},
        {"C:\\sim\\line 10c4 ea60", "C:\\sim\\line"},
        {"d:/sim/line 1 2", "d:/sim/line"},
        {"COMX 10c4 ea60", nullptr},
        {"COM5", nullptr},
        {"sim\\line 10c4 ea60", nullptr},
        {"C:line 10c4 ea60", nullptr},
        {"\\\\.\\ 10c4 ea60", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const std::optional<BridgeFile> bridge = ParseBridgeFile(c.text);
        ASSERT_EQ(bridge.has_value(), c.device != nullptr);
        if (bridge) {
            EXPECT_EQ(bridge->devicePath, c.device);
        }
    }
}

} // namespace
} // namespace k4
