// What the end-to-end passes do not show of the simulator's codec: replies
// of one or two data frames, and that a frame from the computer with a bad
// checksum is never taken for a good one (it would hide the computer's fault).
#include <gtest/gtest.h>

#include "tools/k4-sim/device_frames.h"

namespace k4sim {
namespace {

using Bytes = std::vector<std::uint8_t>;

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
    EXPECT_EQ(frame->code, k4::CMD_FILE_COUNT);

    for (std::uint8_t b : Bytes{0x00, 0x03, 0x0A, 0xFF, 0xF4})
        frame = assembler.Push(b);
    ASSERT_TRUE(frame.has_value());
    EXPECT_FALSE(frame->checksumOk);
}

} // namespace
} // namespace k4sim
