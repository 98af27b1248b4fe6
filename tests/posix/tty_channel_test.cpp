#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

#include "platform/posix_bridges.h"
#include "tests/posix/pty_pair.h"

namespace k4 {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

class TtyChannelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_pty.Ok());
        m_handle = ::open(m_pty.DevicePath().c_str(), O_RDWR | O_NOCTTY);
        ASSERT_GE(m_handle, 0);
    }
    void TearDown() override
    {
        if (m_handle >= 0)
            ::close(static_cast<int>(m_handle));
    }

    void FromUnit(std::initializer_list<std::uint8_t> bytes)
    {
        const std::vector<std::uint8_t> data(bytes);
        ASSERT_EQ(::write(m_pty.Master(), data.data(), data.size()), static_cast<ssize_t>(data.size()));
    }

    k4test::PtyPair m_pty;
    BridgeHandle m_handle = kNoBridge;
    std::unique_ptr<SerialChannel> m_channel = MakeSystemSerialChannel();
};

TEST_F(TtyChannelTest, ConfigureLeavesARawEightBitLineWithoutFlowControl)
{
    m_channel->Configure(m_handle);
    termios settings{};
    ASSERT_EQ(::tcgetattr(static_cast<int>(m_handle), &settings), 0);
    EXPECT_EQ(settings.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(settings.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(settings.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(settings.c_iflag & (IXON | IXOFF | ICRNL | ISTRIP), 0u);
    EXPECT_EQ(settings.c_oflag & OPOST, 0u);
}

TEST_F(TtyChannelTest, ConfigureDropsBytesLeftFromAnEarlierSession)
{
    FromUnit({0x00, 0x03});
    m_channel->Configure(m_handle);
    std::uint8_t byte = 0;
    EXPECT_EQ(m_channel->ReadByte(m_handle, byte), ReadResult::Empty);
}

TEST_F(TtyChannelTest, DeliversBytesOneAtATimeUnchanged)
{
    m_channel->Configure(m_handle);
    FromUnit({0x0D, 0x11, 0xFF}); // CR and XON would be eaten by a cooked line
    for (std::uint8_t expected : {0x0D, 0x11, 0xFF}) {
        std::uint8_t byte = 0;
        ASSERT_EQ(m_channel->ReadByte(m_handle, byte), ReadResult::Byte);
        EXPECT_EQ(byte, expected);
    }
}

TEST_F(TtyChannelTest, SilentLineGivesEmptyAfterAbout100Milliseconds)
{
    m_channel->Configure(m_handle);
    std::uint8_t byte = 0;
    const Clock::time_point start = Clock::now();
    EXPECT_EQ(m_channel->ReadByte(m_handle, byte), ReadResult::Empty);
    const auto waited = std::chrono::duration_cast<milliseconds>(Clock::now() - start);
    EXPECT_GE(waited.count(), 95);
    EXPECT_LE(waited.count(), 400);
}

TEST_F(TtyChannelTest, HangUpIsAFailureAtOnceNotSilence)
{
    m_channel->Configure(m_handle);
    m_pty.HangUp();
    std::uint8_t byte = 0;
    const Clock::time_point start = Clock::now();
    EXPECT_EQ(m_channel->ReadByte(m_handle, byte), ReadResult::Failed);
    EXPECT_LT(Clock::now() - start, milliseconds(50));
}

TEST_F(TtyChannelTest, WriteReachesTheUnitAndFailsOnceItIsGone)
{
    m_channel->Configure(m_handle);
    const std::uint8_t ack[] = {0x00, 0x03, 0xFD, 0xFF, 0x00};
    ASSERT_TRUE(m_channel->Write(m_handle, ack, sizeof ack));
    std::uint8_t received[sizeof ack] = {};
    ASSERT_EQ(::read(m_pty.Master(), received, sizeof received), static_cast<ssize_t>(sizeof received));
    EXPECT_EQ(0, std::memcmp(ack, received, sizeof ack));

    m_pty.HangUp();
    EXPECT_FALSE(m_channel->Write(m_handle, ack, sizeof ack));
}

} // namespace
} // namespace k4
