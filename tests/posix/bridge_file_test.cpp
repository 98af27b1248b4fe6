#include <gtest/gtest.h>

#include "platform/bridge_file.h"

namespace k4 {
namespace {

TEST(BridgeFileTest, ReadsOneWellFormedLineOnly)
{
    const BridgeFile pts7{"/dev/pts/7", 0x10c4, 0xea60};
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

} // namespace
} // namespace k4
