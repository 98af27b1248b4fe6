#include "tests/link/link_fixture.h"

namespace k4::test {
namespace {

using FrameCodecTest = LinkTest;

// The known frames' exact bytes are checked where the exchanges send them.
TEST_F(FrameCodecTest, RequestTooLongForTheBufferIsNotWritten)
{
    PlaceRequest(CMD_DOWNLOAD, kMaxFrameLength - kMinFrameLength + 1);
    EXPECT_FALSE(link.WriteFrame());
    EXPECT_EQ(channel.writeAttempts, 0u);
}

TEST_F(FrameCodecTest, ReplyIsCompleteAfterLengthPlusTwoBytes)
{
    channel.QueueBytes({0x00, 0x04, 0x00, 0x03, 0xFF, 0xF9, 0x00, 0x04});
    link.ReadFrame();
    EXPECT_TRUE(link.m_bChecksumOk);
    EXPECT_EQ(link.m_nBytesRead, 6u);
    EXPECT_EQ(link.m_wFrameType, 0);
    EXPECT_EQ(channel.script.size(), 2u) << "the next frame's bytes stay unread";
    EXPECT_EQ(RxWord(0), 4);
    EXPECT_EQ(link.m_rxFrame[3], 0x03);
    EXPECT_EQ(RxWord(4), 0xFFF9);
}

TEST_F(FrameCodecTest, ChecksumCoversTypeBitsAsReceived)
{
    // C0+05+00+07+08 = 0xD4, so the device sends FF 2C.
    channel.QueueBytes({0xC0, 0x05, 0x00, 0x07, 0x08, 0xFF, 0x2C});
    link.ReadFrame();
    EXPECT_TRUE(link.m_bChecksumOk);
    EXPECT_EQ(link.m_wFrameType, 3);
    EXPECT_EQ(link.m_nBytesRead, 7u);
    EXPECT_EQ(RxWord(0), 5);

    // Summed without the type bits, or with one byte changed: complete but bad.
    for (const Bytes& bad : {Bytes{0xC0, 0x05, 0x00, 0x07, 0x08, 0xFF, 0xEC},
                             Bytes{0x00, 0x04, 0x00, 0x04, 0xFF, 0xF9}}) {
        channel.QueueBytes(bad);
        link.ReadFrame();
        EXPECT_FALSE(link.m_bChecksumOk);
        EXPECT_EQ(link.m_nBytesRead, bad.size());
    }
}

TEST_F(FrameCodecTest, SilenceEndsTheReadOnlyAfter500EmptyReads)
{
    for (std::uint8_t byte : {0x00, 0x04, 0x00, 0x03, 0xFF, 0xF9}) {
        channel.QueueEmpty(kSilentReadLimit - 1);
        channel.QueueBytes({byte});
    }
    link.ReadFrame();
    EXPECT_TRUE(link.m_bChecksumOk);

    channel.QueueBytes({0x00, 0x04, 0x00});
    channel.QueueEmpty(kSilentReadLimit);
    channel.QueueBytes({0x03, 0xFF, 0xF9});
    link.ReadFrame();
    EXPECT_FALSE(link.m_bChecksumOk);
    EXPECT_EQ(link.m_nBytesRead, 0u);
    EXPECT_EQ(channel.script.size(), 3u);
}

TEST_F(FrameCodecTest, FrameLengthsTheBufferCannotHoldEndTheReadAtTheHeader)
{
    channel.QueueBytes(CodeFrame(1, 0, Pattern(kMaxFrameLength - 3, 1)));
    link.ReadFrame();
    EXPECT_TRUE(link.m_bChecksumOk) << "L 510 still fits";
    EXPECT_EQ(link.m_nBytesRead, kFrameBufferSize);

    // L 511 and L 2: no room for the checksum, no code byte.
    for (const Bytes& header : {Bytes{0x41, 0xFF}, Bytes{0x00, 0x02}}) {
        channel.script.clear();
        channel.QueueBytes(header);
        channel.QueueBytes(Bytes(600, 0xAA));
        link.m_rxFrame[2] = 0;
        link.ReadFrame();
        EXPECT_FALSE(link.m_bChecksumOk);
        EXPECT_EQ(link.m_nBytesRead, 2u);
        EXPECT_EQ(channel.script.size(), 600u);
        EXPECT_EQ(link.m_rxFrame[2], 0);
    }
}

TEST_F(FrameCodecTest, ReadFailureClosesTheBridgeOnceAndSilencesTheLink)
{
    channel.QueueBytes({0x00, 0x04});
    channel.QueueFailure();
    link.ReadFrame();
    EXPECT_EQ(link.m_nBytesRead, 0u);
    EXPECT_FALSE(link.State().g_bDevicePresent);
    EXPECT_EQ(link.State().g_hDevice, kNoBridge);

    link.m_bChecksumOk = true;
    channel.QueueBytes({0x00, 0x04, 0x00, 0x03, 0xFF, 0xF9});
    link.ReadFrame();
    link.CloseBridge();
    PlaceRequest(CMD_ACK);
    EXPECT_FALSE(link.WriteFrame());
    EXPECT_FALSE(link.m_bChecksumOk);
    EXPECT_EQ(channel.readCalls, 3);
    EXPECT_EQ(channel.writeAttempts, 0u);
    EXPECT_EQ(bridges.closes, (std::map<BridgeHandle, int>{{kHandle, 1}}));
}

} // namespace
} // namespace k4::test
