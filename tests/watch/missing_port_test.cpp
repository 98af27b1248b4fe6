#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "tests/posix/fake_sysfs.h"
#include "watch/missing_port.h"

namespace k4 {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;

constexpr DeviceIds kUnitIds{0x10c4, 0xea60};

TEST(UsbDeviceWithoutTty, FindsOnlyTheUnitThatLostItsPort)
{
    struct Device {
        std::string name, vid, pid;
        bool withTty;
    };
    struct Case {
        const char* what;
        std::vector<Device> devices;
        std::string expected; // device name, or "" for none
    } cases[] = {
        {"unit with its port", {{"1-1", "10c4", "ea60", true}}, ""},
        {"unit claimed by another driver", {{"1-1", "10c4", "ea60", false}}, "1-1"},
        {"other product without a port", {{"1-1", "10c4", "ea61", false}}, ""},
        {"other vendor without a port", {{"1-1", "0403", "ea60", false}}, ""},
        {"second unit lost its port", {{"1-1", "10c4", "ea60", true}, {"1-2", "10c4", "ea60", false}}, "1-2"},
        {"unreadable identifier", {{"1-1", "10c4x", "ea60", false}}, ""},
        {"no USB devices", {}, ""},
    };
    for (const Case& c : cases) {
        k4test::FakeSysfs sysfs;
        for (const Device& d : c.devices)
            sysfs.AddUsbDevice(d.name, d.vid, d.pid, d.withTty ? "ttyUSB" + d.name : "");
        const std::optional<std::string> found = FindUsbDeviceWithoutTty(sysfs.Sys().string(), kUnitIds);
        if (c.expected.empty())
            EXPECT_EQ(found, std::nullopt) << c.what;
        else
            EXPECT_EQ(found, sysfs.Device(c.expected)) << c.what;
    }
    EXPECT_EQ(FindUsbDeviceWithoutTty("/nonexistent-sysfs", kUnitIds), std::nullopt);
}

// Each check: the time in ms, t(roubled) or o(k), and ! where the notice
// is to be given.
TEST(MissingPortNotice, SaysOnceWhenTheTroubleLastsThreeSeconds)
{
    for (const char* checks :
         {"0t 2999t 3000t! 5000t", "0t 2000o 4000t 6999t 7000t!", "0t 3000t! 4000o 5000t 9000t", "0o 10000o"}) {
        MissingPortNotice notice;
        std::istringstream in(checks);
        for (std::string check; in >> check;) {
            const std::chrono::steady_clock::time_point at{milliseconds(std::stoi(check))};
            EXPECT_EQ(notice.Update(check.find('t') != std::string::npos, at), check.back() == '!') << checks << check;
        }
    }
}

TEST(MissingPortHelp, NamesTheUnit)
{
    EXPECT_NE(MissingPortHelp(kUnitIds).find("10c4:ea60"), std::string::npos);
}

} // namespace
} // namespace k4
