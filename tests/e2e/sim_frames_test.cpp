// The simulator's side of the protocol must speak exactly what the
// computer expects, or the end-to-end tests prove nothing.
#include <gtest/gtest.h>
#include <numeric>

#include "tools/k4-sim/device_frames.h"

namespace k4sim {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(SimFramesTest, FramesMatchTheWireExamples)
{
    EXPECT_EQ(BuildFrame(kTypeEnd, kCmdAck, {}), (Bytes{0x00, 0x03, 0xFD, 0xFF, 0x00}));
    const std::uint8_t three[] = {3};
    EXPECT_EQ(BuildFrame(kTypeEnd, 0x00, three), (Bytes{0x00, 0x04, 0x00, 0x03, 0xFF, 0xF9}));
    const Bytes last = BuildFrame(kTypeLast, 0x00, Bytes{1, 2});
    EXPECT_EQ(last[0], 0xC0);
    EXPECT_EQ(last[1], 0x05);
    // The checksum covers the header as sent, type bits included.
    const unsigned sum = std::accumulate(last.begin(), last.end() - 2, 0u);
    EXPECT_EQ((sum + (last[5] << 8) + last[6]) % 65536, 0u);
}

std::vector<int> TypesOf(const std::vector<Bytes>& frames)
{
    std::vector<int> types;
    for (const Bytes& frame : frames)
        types.push_back(frame[0] >> 6);
    return types;
}

TEST(SimFramesTest, DownloadReplyRunsFirstMoreLastThenEnd)
{
    const Bytes image(10, 0xAB);
    EXPECT_EQ(TypesOf(BuildDownloadReply(image, 4)), (std::vector<int>{1, 2, 3, 0}));
    EXPECT_EQ(TypesOf(BuildDownloadReply(image, 5)), (std::vector<int>{1, 3, 0}));
    // A lone last frame would end the computer's reading before the end frame.
    EXPECT_EQ(TypesOf(BuildDownloadReply(image, 10)), (std::vector<int>{1, 0}));
    EXPECT_EQ(TypesOf(BuildDownloadReply({}, 10)), (std::vector<int>{0}));
}

TEST(SimFramesTest, AssemblerChecksFramesAndSkipsImpossibleHeaders)
{
    FrameAssembler assembler;
    std::optional<ReceivedFrame> frame;
    // L = 1 cannot be a frame: both header bytes are dropped.
    for (std::uint8_t b : Bytes{0x00, 0x01, 0x00, 0x03, 0x0C, 0xFF, 0xF1})
        frame = assembler.Push(b);
    ASSERT_TRUE(frame.has_value());
    EXPECT_TRUE(frame->checksumOk);
    EXPECT_EQ(frame->code, kCmdFileCount);

    for (std::uint8_t b : Bytes{0x00, 0x03, 0x0A, 0xFF, 0xF4})
        frame = assembler.Push(b);
    ASSERT_TRUE(frame.has_value());
    EXPECT_FALSE(frame->checksumOk);
}

} // namespace
} // namespace k4sim
