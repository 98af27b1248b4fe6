#include <chrono>
#include <gtest/gtest.h>
#include <unistd.h>
#include <vector>

#include "platform/posix/custom_line_rate.h"
#include "platform/shared/bridge_device.h"
#include "platform/system_bridges.h"
#include "tests/posix/pty_pair.h"

namespace k4 {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

using R = ReadResult;

using Read = std::pair<ReadResult, std::uint8_t>;

TEST(TtyChannelTest, ReadsGiveBytesSilenceOrFailure)
{
    const struct {
        const char* what;
        std::vector<std::uint8_t> stale; // in the line before it is configured
        std::vector<std::uint8_t> sent;  // by the unit afterwards
        bool hangUp;
        std::vector<Read> reads;
        int leastMs, mostMs; // how long the last read takes
    } cases[] = {
        // CR and XON would be eaten by a cooked line, 0xFF cut by a 7-bit one.
        {"bytes unchanged", {}, {0x0D, 0x11, 0xFF}, false, {{R::Byte, 0x0D}, {R::Byte, 0x11}, {R::Byte, 0xFF}}, 0, 50},
        {"silence, bytes left from an earlier session dropped", {0x00, 0x03}, {}, false, {{R::Empty, 0}}, 95, 400},
        {"hang-up: a failure at once, not silence", {}, {}, true, {{R::Failed, 0}}, 0, 50},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        k4test::PtyPair pty;
        const int fd = pty.device;
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(pty.master, c.stale.data(), c.stale.size()), static_cast<ssize_t>(c.stale.size()));
        const std::unique_ptr<SerialChannel> channel = MakeSystemSerialChannel();
        channel->Configure(fd);
        ASSERT_EQ(::write(pty.master, c.sent.data(), c.sent.size()), static_cast<ssize_t>(c.sent.size()));
        if (c.hangUp)
            pty.HangUp();

        Clock::duration last{};
        for (const Read& expected : c.reads) {
            std::uint8_t byte = 0;
            const Clock::time_point start = Clock::now();
            EXPECT_EQ(channel->ReadByte(fd, byte), expected.first);
            last = Clock::now() - start;
            EXPECT_EQ(byte, expected.second);
        }
        EXPECT_GE(last, milliseconds(c.leastMs));
        EXPECT_LE(last, milliseconds(c.mostMs));
    }
}

// A pseudo-terminal keeps the rate fields, so the unit's rate shows in
// both directions, read back as the kernel holds them. The line starts with
// 115200 in the input-rate field (CIBAUD), as a C library that fills that
// field from cfsetispeed (glibc 2.42) leaves it.
TEST(TtyChannelTest, ConfigureSetsTheUnitsRateBothWays)
{
    k4test::PtyPair pty;
    const int fd = pty.device;
    ASSERT_GE(fd, 0);
    termios apart{};
    ASSERT_EQ(::tcgetattr(fd, &apart), 0);
    constexpr int kInputRateShift = 16; // the kernel's IBSHIFT, which <termios.h> does not give
    apart.c_cflag = (apart.c_cflag & ~CIBAUD) | (B115200 << kInputRateShift);
    ASSERT_EQ(::tcsetattr(fd, TCSANOW, &apart), 0);
    EXPECT_TRUE(MakeSystemSerialChannel()->Configure(fd));
    unsigned input = 0;
    unsigned output = 0;
    ASSERT_TRUE(ReadLineRates(fd, input, output));
    EXPECT_EQ(input, 128000u);
    EXPECT_EQ(output, 128000u);
}

// The user sees "Device Not Connected" or "Lost communication ..."; the
// diagnostic output keeps the system's reason, once however often it recurs.
TEST(TtyChannelTest, FailuresKeepTheSystemsReasonForDiagnostics)
{
    testing::internal::CaptureStderr();
    EXPECT_EQ(OpenBridgeDevice("/nonexistent/ttyUSB0"), kNoBridge);
    EXPECT_EQ(OpenBridgeDevice("/nonexistent/ttyUSB0"), kNoBridge);
    const std::uint8_t request[] = {0x00, 0x03, 0x0C, 0xFF, 0xF1};
    EXPECT_FALSE(MakeSystemSerialChannel()->Write(-1, request, sizeof request));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "k4: open /nonexistent/ttyUSB0: No such file or directory\n"
                                                      "k4: write: Bad file descriptor\n");
}

} // namespace
} // namespace k4
