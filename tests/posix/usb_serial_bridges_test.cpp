#include <filesystem>
#include <gtest/gtest.h>

#include "platform/system_bridges.h"
#include "tests/posix/fake_sysfs.h"

namespace k4 {
namespace {

namespace fs = std::filesystem;

TEST(UsbSerialBridgesTest, ListsUsbSerialDevicesInNameOrderUntilTheyGo)
{
    k4test::FakeSysfs sysfs;
    sysfs.AddUsbDevice("1-1", "10c4", "ea60", "ttyUSB0");
    sysfs.AddUsbDevice("1-2", "2341", "0043", "ttyACM1");
    sysfs.AddTty("ttyS0", "devices/platform/serial8250/ttyS0", "platform"); // not on USB
    // A built-in port below a folder that looks like a USB device: only the
    // kernel's names for USB serial ports count.
    sysfs.folder.Write("sys/devices/pci0000:00/usb1/1-3/idVendor", "10c4\n");
    sysfs.folder.Write("sys/devices/pci0000:00/usb1/1-3/idProduct", "ea60\n");
    sysfs.AddTty("ttyS1", "devices/pci0000:00/usb1/1-3/serial8250/ttyS1", "serial-base");
    fs::create_directories(sysfs.Sys() / "class/tty/tty0"); // no device at all

    auto library = MakeUsbSerialBridgeLibrary(sysfs.Sys().string(), sysfs.Dev().string());
    std::uint32_t count = 0;
    library->GetNumDevices(count);
    ASSERT_EQ(count, 2u);
    const std::pair<std::uint16_t, std::uint16_t> expected[] = {{0x2341, 0x0043}, {0x10c4, 0xea60}};
    for (std::uint32_t index = 0; index < count; ++index) {
        // As listed, without an open; the same as the open bridge tells.
        std::pair<std::uint16_t, std::uint16_t> listed;
        ASSERT_TRUE(library->GetListedIds(index, listed.first, listed.second));
        EXPECT_EQ(listed, expected[index]);
        BridgeHandle handle = kNoBridge;
        ASSERT_EQ(library->Open(index, handle), 0);
        std::pair<std::uint16_t, std::uint16_t> ids;
        library->GetVid(handle, ids.first);
        library->GetPid(handle, ids.second);
        EXPECT_EQ(ids, expected[index]);
        library->Close(handle);
    }
    std::uint16_t vid = 0;
    std::uint16_t pid = 0;
    EXPECT_FALSE(library->GetListedIds(count, vid, pid));

    fs::remove(sysfs.Sys() / "class/tty/ttyUSB0"); // unplugged since the count
    BridgeHandle handle = kNoBridge;
    EXPECT_NE(library->Open(1, handle), 0);
    EXPECT_EQ(library->Open(0, handle), 0);
    library->Close(handle);
}

} // namespace
} // namespace k4
