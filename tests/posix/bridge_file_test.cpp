#include <gtest/gtest.h>

#include "platform/bridge_file.h"

namespace k4 {
namespace {

TEST(BridgeFileTest, ReadsDevicePathAndHexIdentifiers)
{
    for (const char* text : {"/dev/pts/7 10c4 ea60\n", "/dev/pts/7 10c4 ea60", "/dev/pts/7 10C4 EA60\r\n",
                             "/dev/pts/7\t0x10c4  0XEA60\n", "  /dev/pts/7 10c4 ea60  \n"}) {
        SCOPED_TRACE(text);
        const std::optional<BridgeFile> bridge = ParseBridgeFile(text);
        ASSERT_TRUE(bridge.has_value());
        EXPECT_EQ(bridge->devicePath, "/dev/pts/7");
        EXPECT_EQ(bridge->vid, 0x10c4);
        EXPECT_EQ(bridge->pid, 0xea60);
    }
}

TEST(BridgeFileTest, ShortIdentifiersAreHexToo)
{
    const std::optional<BridgeFile> bridge = ParseBridgeFile("/dev/ttyUSB0 1 ff\n");
    ASSERT_TRUE(bridge.has_value());
    EXPECT_EQ(bridge->vid, 0x1);
    EXPECT_EQ(bridge->pid, 0xff);
}

TEST(BridgeFileTest, RefusesAnythingButOneWellFormedLine)
{
    for (const char* text : {
             "",
             "\n",
             "/dev/pts/7 10c4",              // a field missing
             "/dev/pts/7 10c4 ea60 01",      // a field too many
             "dev/pts/7 10c4 ea60",          // relative device path
             "/dev/pts/7 10g4 ea60",         // not hexadecimal
             "/dev/pts/7 110c4 ea60",        // wider than 16 bits
             "/dev/pts/7 -1 ea60",
             "/dev/pts/7 0x ea60",           // prefix without digits
             "/dev/pts/7 10c4 ea60\n\n",     // a second (empty) line
             "/dev/pts/7 10c4 ea60\n/dev/pts/8 10c4 ea60\n",
             "/dev/pts/\x01 10c4 ea60",      // control character in the path
         }) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(ParseBridgeFile(text).has_value());
    }
}

TEST(BridgeFileTest, FormattedTextReadsBack)
{
    const BridgeFile written{"/dev/pts/12", 0x0001, 0xffff};
    const std::optional<BridgeFile> read = ParseBridgeFile(FormatBridgeFile(written));
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->devicePath, written.devicePath);
    EXPECT_EQ(read->vid, written.vid);
    EXPECT_EQ(read->pid, written.pid);
}

} // namespace
} // namespace k4
