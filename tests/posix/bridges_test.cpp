// The bridges' announcement files and the POSIX bridge libraries: the
// simulated one over those files and the one over sysfs's USB serial ports.
#include <filesystem>
#include <gtest/gtest.h>

#include "platform/bridge_file.h"
#include "platform/system_bridges.h"
#include "tests/posix/bridge_library_contract.h"
#include "tests/posix/fake_sysfs.h"
#include "tests/posix/scratch_folder.h"

namespace k4 {
namespace {

TEST(BridgeFileTest, ReadsOneWellFormedLineOnly)
{
    const auto at = [](const char* device) { return BridgeFile{device, 0x10c4, 0xea60}; };
    const BridgeFile pts7 = at("/dev/pts/7");
    const struct {
        std::string text;
        std::optional<BridgeFile> bridge;
    } cases[] = {
        {"/dev/pts/7 10c4 ea60\n", pts7},
        {"/dev/pts/7 10C4 EA60\r\n", pts7},
        {"/dev/pts/7\t0x10c4  0XEA60", pts7},
        {"  /dev/pts/7 10c4 ea60  \n", pts7},
        {"/dev/ttyUSB0 1 ff\n", BridgeFile{"/dev/ttyUSB0", 0x1, 0xff}},
        {FormatBridgeFile({"/dev/pts/12", 0x0001, 0xffff}), BridgeFile{"/dev/pts/12", 0x0001, 0xffff}},
        // Windows devices: a drive's full path either way round, or a port.
        {"C:\\sim\\line 10c4 ea60", at("C:\\sim\\line")},
        {"d:/sim/line 10c4 ea60", at("d:/sim/line")},
        {"COM5 10c4 ea60", at("COM5")},
        {"com999 10c4 ea60", at("com999")},
        {"\\\\.\\COM12 10c4 ea60", at("\\\\.\\COM12")},
        {"COMX 10c4 ea60", std::nullopt},
        {"COM1234 10c4 ea60", std::nullopt},
        {"\\\\.\\ 10c4 ea60", std::nullopt},
        {"sim\\line 10c4 ea60", std::nullopt},
        {"C:line 10c4 ea60", std::nullopt},
        {"", std::nullopt},
        {"/dev/pts/7 10c4", std::nullopt},          // a field missing
        {"/dev/pts/7 10c4 ea60 01", std::nullopt},  // a field too many
        {"dev/pts/7 10c4 ea60", std::nullopt},      // relative device path
        {"/dev/pts/7 10g4 ea60", std::nullopt},     // not hexadecimal
        {"/dev/pts/7 110c4 ea60", std::nullopt},    // wider than 16 bits
        {"/dev/pts/7 0x ea60", std::nullopt},       // prefix without digits
        {"/dev/pts/7 10c4 ea60\n\n", std::nullopt}, // a second (empty) line
        {"/dev/pts/7 10c4 ea60\n/dev/pts/8 10c4 ea60\n", std::nullopt},
        {"/dev/pts/\x01 10c4 ea60", std::nullopt}, // control character in the path
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto fields = [](const std::optional<BridgeFile>& b) {
            return b ? b->devicePath + " " + std::to_string(b->vid) + " " + std::to_string(b->pid) : "none";
        };
        EXPECT_EQ(fields(ParseBridgeFile(c.text)), fields(c.bridge));
    }
}

// Only well-formed "*.bridge" files that are files count, in name order,
// each looked at again on every count.
TEST(SimulatedBridgesTest, EachCountListsTheWellFormedBridgeFilesThereInNameOrder)
{
    k4test::ScratchFolder folder;
    const auto make = [&] { return MakeSimulatedBridgeLibrary((folder.Path() / "bridges").string()); };
    std::uint32_t count = 99;
    make()->GetNumDevices(count);
    EXPECT_EQ(count, 0u); // the folder does not even exist yet
    // Device node stand-ins that can be opened and locked like one.
    folder.Write("bridges/b.bridge", folder.Write("dev/b", "").string() + " 0002 ea60\n");
    folder.Write("bridges/a.bridge", folder.Write("dev/a", "").string() + " 0001 ea60\n");
    folder.Write("bridges/c.bridge", "not a bridge\n");
    folder.Write("bridges/d.txt", folder.Write("dev/d", "").string() + " 0004 ea60\n");
    folder.Write("bridges/.hidden.bridge", folder.Write("dev/h", "").string() + " 0005 ea60\n");
    std::filesystem::create_directories(folder.Path() / "bridges" / "e.bridge");

    k4test::ExpectBridgeLibrary(
        make, {{1, 0xea60}, {2, 0xea60}}, [&] { std::filesystem::remove(folder.Path() / "bridges" / "b.bridge"); },
        true);
}

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
    std::filesystem::create_directories(sysfs.Sys() / "class/tty/tty0"); // no device at all

    k4test::ExpectBridgeLibrary([&] { return MakeUsbSerialBridgeLibrary(sysfs.Sys().string(), sysfs.Dev().string()); },
                                {{0x2341, 0x0043}, {0x10c4, 0xea60}},
                                [&] { std::filesystem::remove(sysfs.Sys() / "class/tty/ttyUSB0"); }, true);
}

} // namespace
} // namespace k4
