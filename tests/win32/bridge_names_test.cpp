// How the Windows side names bridges: hardware ids from SetupAPI and port
// names.
#include <gtest/gtest.h>

#include "platform/win32/exclusive_port.h"
#include "platform/win32/usb_hardware_id.h"

namespace k4 {
namespace {

TEST(UsbHardwareId, IdentifiersOfUsbDevicesOnly)
{
    const struct {
        const char* id;
        int vid;
        int pid;
    } usb[] = {{"USB\\VID_10C4&PID_EA60", 0x10c4, 0xea60},
               {"USB\\VID_10C4&PID_EA60&REV_0100", 0x10c4, 0xea60},
               {"USB\\VID_10C4&PID_EA60\\0001", 0x10c4, 0xea60},
               {"usb\\vid_0403&pid_6001", 0x0403, 0x6001},
               {"USB\\VID_FFFF&PID_0000", 0xffff, 0}};
    for (const auto& c : usb) {
        const std::optional<UsbIds> parsed = ParseUsbHardwareId(c.id);
        ASSERT_TRUE(parsed) << c.id;
        EXPECT_EQ(parsed->vid, c.vid) << c.id;
        EXPECT_EQ(parsed->pid, c.pid) << c.id;
    }
    for (const char* other : {"FTDIBUS\\VID_0403+PID_6001+A50285BIA", "USB\\VID_10C4&PID_EA6", "USB\\VID_10C&PID_EA60",
                              "USB\\VID_10C4&PID_EA600", "USB\\VID_10G4&PID_EA60", "USB\\VID_10C4&MI_00&PID_EA60"})
        EXPECT_FALSE(ParseUsbHardwareId(other)) << other;
}

TEST(PortNames, OnlyComAndANumberAreReachedThroughTheDeviceNamespace)
{
    for (const char* port : {"COM1", "COM12", "com256"}) {
        EXPECT_TRUE(IsComPortName(port));
        EXPECT_EQ(PortDevicePath(port), std::string("\\\\.\\") + port);
    }
    for (const char* other : {"COM0", "COM", "COMX", "COM1234", "LPT1", "\\\\.\\COM5", "C:\\sim\\line"}) {
        EXPECT_FALSE(IsComPortName(other));
        EXPECT_EQ(PortDevicePath(other), other);
    }
}

} // namespace
} // namespace k4
