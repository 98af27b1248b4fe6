#include <gtest/gtest.h>

#include <string>

#include "common/device_ids.h"
#include "tests/posix/scratch_folder.h"

namespace k4 {
namespace {

TEST(ConfigValues, DecimalOrHexUnsigned32Only)
{
    const std::pair<const char*, std::uint32_t> good[] = {
        {"4292", 4292u}, {"0x10c4", 0x10c4u}, {"0XEA60", 0xea60u}, {"4294967295", 4294967295u}};
    for (const auto& [text, value] : good) {
        std::uint32_t v = 7;
        EXPECT_TRUE(ParseConfigDword(text, v)) << text;
        EXPECT_EQ(v, value);
    }
    std::uint32_t v = 7;
    for (const char* bad : {"", "0x", "-1", "+5", " 5", "5 ", "12abc", "4294967296", "0x100000000", "1e3", "0x-1"})
        EXPECT_FALSE(ParseConfigDword(bad, v)) << bad;
    EXPECT_EQ(v, 7u) << "a failed parse leaves the value alone";
}

// The probe prints "VID PID MainAppPath" as read from a system settings
// folder; a missing VID means no identifiers at all.
TEST(ConfigStore, ReadsTheSharedKeyAndUnreadableValuesCountAsAbsent)
{
    const std::pair<std::string, const char*> cases[] = {
        {"[Configuration]\nVID=0x10c4\nPID=60000\nMainAppPath=/opt/k4/\n", "4292 60000 /opt/k4/"},
        {"[Configuration]\nPID=60000\n", "0 0 -"},
        {"[Configuration]\nVID=4292\n", "4292 0 -"},
        {"[Other]\nVID=4292\nPID=1\n", "0 0 -"},
        {"", "0 0 -"},
        {"[Configuration]\nVID=ten\nPID=1\n", "0 0 -"},
        {"[Configuration]\nVID=70000\nPID=0x1ffffffff\n", "70000 0 -"},
        {"[Configuration]\nVID=1, 2\nPID=3\n", "0 0 -"},
        {"[Configuration]\nVID=1\nPID=2\nMainAppPath=" + std::string(1024, 'p') + "\n", "1 2 -"},
    };
    for (const auto& [contents, expected] : cases) {
        k4test::ScratchFolder dir;
        dir.Write("Tavrin Co/K4 Data Transfer Application.conf", contents);
        EXPECT_EQ(k4test::FirstLineOf("XDG_CONFIG_DIRS='" + dir.Path().string() + "' HOME='" + dir.Path().string() +
                                      "' '" + K4_CONFIG_PROBE + "'"),
                  expected)
            << contents;
    }
}

} // namespace
} // namespace k4
