#include <filesystem>
#include <gtest/gtest.h>

#include "platform/system_bridges.h"
#include "tests/posix/scratch_folder.h"

namespace k4 {
namespace {

namespace fs = std::filesystem;

// A small sysfs as the kernel lays it out: /sys/class/tty/<name> links to
// the tty's folder, whose "device" link leads to the port, below the USB
// interface, below the USB device with idVendor and idProduct.
class UsbSerialBridgesTest : public ::testing::Test {
protected:
    void AddUsbSerial(const std::string& tty, const std::string& usbDevice, const std::string& vid,
                      const std::string& pid)
    {
        const fs::path usb = "devices/pci0000:00/usb1/" + usbDevice;
        m_folder.Write("sys/" + usb.string() + "/idVendor", vid + "\n");
        m_folder.Write("sys/" + usb.string() + "/idProduct", pid + "\n");
        AddTty(tty, usb / (usbDevice + ":1.0") / tty, "usb-serial");
    }

    void AddTty(const std::string& tty, const fs::path& port, const std::string& bus)
    {
        const fs::path sys = m_folder.Path() / "sys";
        const fs::path ttyFolder = sys / port / "tty" / tty;
        fs::create_directories(ttyFolder);
        fs::create_directories(sys / "bus" / bus);
        fs::create_directory_symlink(sys / "bus" / bus, sys / port / "subsystem");
        fs::create_symlink("../../../" + port.filename().string(), ttyFolder / "device");
        fs::create_directories(sys / "class" / "tty");
        fs::create_directory_symlink(ttyFolder, sys / "class" / "tty" / tty);
        m_folder.Write("dev/" + tty, "");
    }

    k4test::ScratchFolder m_folder;
};

TEST_F(UsbSerialBridgesTest, ListsUsbSerialDevicesInNameOrderUntilTheyGo)
{
    const fs::path& root = m_folder.Path();
    AddUsbSerial("ttyUSB0", "1-1", "10c4", "ea60");
    AddUsbSerial("ttyACM1", "1-2", "2341", "0043");
    AddTty("ttyS0", "devices/platform/serial8250/ttyS0", "platform"); // not on USB
    // A built-in port below a folder that looks like a USB device: only the
    // kernel's names for USB serial ports count.
    m_folder.Write("sys/devices/pci0000:00/usb1/1-3/idVendor", "10c4\n");
    m_folder.Write("sys/devices/pci0000:00/usb1/1-3/idProduct", "ea60\n");
    AddTty("ttyS1", "devices/pci0000:00/usb1/1-3/serial8250/ttyS1", "serial-base");
    fs::create_directories(root / "sys/class/tty/tty0"); // no device at all

    auto library = MakeUsbSerialBridgeLibrary((root / "sys").string(), (root / "dev").string());
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

    fs::remove(root / "sys/class/tty/ttyUSB0"); // unplugged since the count
    BridgeHandle handle = kNoBridge;
    EXPECT_NE(library->Open(1, handle), 0);
    EXPECT_EQ(library->Open(0, handle), 0);
    library->Close(handle);
}

} // namespace
} // namespace k4
