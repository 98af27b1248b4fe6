#include "tests/link/link_fixture.h"

namespace k4::test {
namespace {

class ExchangeTest : public LinkTest {
protected:
    void Download()
    {
        PlaceRequest(CMD_DOWNLOAD);
        link.Transact(true);
    }
    Bytes Image() const { return {link.m_image.begin(), link.m_image.begin() + link.m_wImageLength}; }

    static Bytes Data(unsigned type, const Bytes& data) { return CodeFrame(type, 0, data); }
    static Bytes Corrupted(Bytes frame)
    {
        frame[3] ^= 0x01;
        return frame;
    }
    static Bytes Concat(Bytes a, const Bytes& b)
    {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    }

    const Bytes kEnd = CodeFrame(0, 0, {});
    const Bytes kFullData = Pattern(kMaxFrameLength - kMinFrameLength, 1);
    const std::size_t kFullFrames = kImageCapacity / kFullData.size();
    const std::size_t kRoomLeft = kImageCapacity - kFullFrames * kFullData.size();
};

TEST_F(ExchangeTest, DataFramesAreGatheredAndAcknowledgedUntilTheEndFrame)
{
    channel.QueueBytes(Data(1, Pattern(200, 0x10)));
    channel.QueueBytes(Data(2, Pattern(100, 0x80)));
    channel.QueueBytes(kEnd);
    Download();
    EXPECT_TRUE(link.m_bTransferDone);
    EXPECT_EQ(link.m_wImageLength, 300);
    EXPECT_EQ(Image(), Concat(Pattern(200, 0x10), Pattern(100, 0x80)));
    EXPECT_EQ(channel.writes, (std::vector<Bytes>{kDownloadRequest, kAckFrame, kAckFrame}));
}

TEST_F(ExchangeTest, TypeThreeEndsTheReplyUnlessItClosesARun)
{
    channel.QueueBytes(Data(3, Pattern(10, 1)));
    channel.QueueBytes(kEnd);
    Download();
    EXPECT_FALSE(link.m_bTransferDone);
    EXPECT_EQ(Image(), Pattern(10, 1));
    EXPECT_EQ(Sent(kAckFrame), 1);
    EXPECT_EQ(channel.script.size(), kEnd.size());

    channel.script.clear();
    channel.QueueBytes(Data(1, Pattern(5, 1)));
    channel.QueueBytes(Data(3, Pattern(7, 50)));
    channel.QueueBytes(kEnd);
    Download();
    EXPECT_TRUE(link.m_bTransferDone);
    EXPECT_EQ(Image(), Concat(Pattern(5, 1), Pattern(7, 50)));
    EXPECT_EQ(Sent(kAckFrame), 3);
}

TEST_F(ExchangeTest, UpToFourBadFramesInARowAreRetriedAndAGoodFrameResetsTheCount)
{
    channel.QueueBytes(Data(1, Pattern(4, 1)));
    channel.QueueBytes(Corrupted(Data(2, Pattern(4, 9))));
    channel.QueueEmpty(kSilentReadLimit); // a missing frame counts as bad
    channel.QueueBytes({0x40, 0x02});     // so does one without a code byte
    channel.QueueBytes(Corrupted(Data(2, Pattern(4, 9))));
    channel.QueueBytes(Data(2, Pattern(4, 9)));
    for (int i = 0; i < kBadFrameLimit - 1; ++i)
        channel.QueueBytes(Corrupted(kEnd));
    channel.QueueBytes(kEnd);
    Download();
    EXPECT_TRUE(link.m_bTransferDone);
    EXPECT_EQ(Sent(kNakFrame), 8);
    EXPECT_EQ(Image(), Concat(Pattern(4, 1), Pattern(4, 9)));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ExchangeTest, FifthBadFrameInARowTimesOut)
{
    channel.QueueBytes(Data(1, Pattern(4, 1)));
    for (int i = 0; i < kBadFrameLimit; ++i)
        channel.QueueBytes(Corrupted(kEnd));
    channel.QueueBytes(kEnd);
    Download();
    EXPECT_FALSE(link.m_bTransferDone);
    EXPECT_EQ(Sent(kNakFrame), 5);
    EXPECT_EQ(messages.shown, std::vector<std::string>{"Communications timeout has occured."});
    EXPECT_EQ(channel.script.size(), kEnd.size());
}

TEST_F(ExchangeTest, BadFirstFrameIsRefusedOnceAndQuietly)
{
    channel.QueueBytes(Corrupted(Data(1, Pattern(4, 1))));
    channel.QueueBytes(kEnd);
    Download();
    EXPECT_FALSE(link.m_bTransferDone);
    EXPECT_EQ(channel.writes, (std::vector<Bytes>{kDownloadRequest, kNakFrame}));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ExchangeTest, ImageTakesExactlyItsCapacityAndNoByteMore)
{
    for (std::size_t i = 0; i < kFullFrames; ++i)
        channel.QueueBytes(Data(1, kFullData));
    channel.QueueBytes(Data(2, Pattern(kRoomLeft, 7)));
    channel.QueueBytes(kEnd);
    Download();
    EXPECT_TRUE(link.m_bTransferDone);
    EXPECT_EQ(link.m_wImageLength, kImageCapacity);
    EXPECT_EQ(link.m_image.back(), static_cast<std::uint8_t>(7 + kRoomLeft - 1));

    link.m_image.back() = 0;
    for (std::size_t i = 0; i < kFullFrames; ++i)
        channel.QueueBytes(Data(1, kFullData));
    channel.QueueBytes(Data(2, Pattern(kRoomLeft + 1, 7)));
    channel.QueueBytes(kEnd);
    Download();
    EXPECT_FALSE(link.m_bTransferDone);
    EXPECT_EQ(link.m_wImageLength, kFullFrames * kFullData.size());
    EXPECT_EQ(link.m_image.back(), 0);
    EXPECT_EQ(Sent(kAckFrame), static_cast<int>(2 * kFullFrames + 1)) << "the overflowing frame is not acknowledged";
    EXPECT_EQ(Sent(kNakFrame), 0);
    EXPECT_EQ(channel.script.size(), kEnd.size());
}

TEST_F(ExchangeTest, FailedWritesEndTheExchange)
{
    link.m_bTransferDone = true;
    link.m_wImageLength = 9;
    channel.failingWrite = 0;
    channel.QueueBytes(kEnd);
    Download();
    EXPECT_FALSE(link.m_bTransferDone);
    EXPECT_EQ(link.m_wImageLength, 0);
    EXPECT_EQ(channel.readCalls, 0);
    EXPECT_TRUE(messages.shown.empty()) << "a failed request is silent";

    channel.failingWrite = 2; // the acknowledgement
    channel.script.clear();
    channel.QueueBytes(Data(1, Pattern(4, 1)));
    channel.QueueBytes(kEnd);
    Download();
    EXPECT_FALSE(link.m_bTransferDone);
    EXPECT_EQ(messages.shown, std::vector<std::string>{"Failed to send command, please reconnect."});
    EXPECT_EQ(channel.script.size(), kEnd.size());
}

TEST_F(ExchangeTest, ReadFailureMidTransferClosesOnceAndLaterExchangesDoNothing)
{
    channel.QueueBytes(Data(1, Pattern(4, 1)));
    channel.QueueFailure();
    Download();
    EXPECT_FALSE(link.m_bTransferDone);
    EXPECT_EQ(messages.shown, std::vector<std::string>{"Failed to send command, please reconnect."});

    const int readsBefore = channel.readCalls;
    Download();
    link.CloseBridge();
    EXPECT_EQ(channel.writes.size(), 2u);
    EXPECT_EQ(channel.readCalls, readsBefore);
    EXPECT_EQ(bridges.closes, (std::map<BridgeHandle, int>{{kHandle, 1}}));
}

using CommandTest = LinkTest;

TEST_F(CommandTest, FirmwareVersionIsAtMostFiveCharactersOfTheReplyBody)
{
    const std::pair<Bytes, std::string> cases[] = {
        {CodeFrame(0, 0, {'V', '1', '.', '2', '3'}), "V1.23"},
        {CodeFrame(0, 0, {'V', '2', '.', '0', '0', '-', 'b'}), "V2.00"},
        {CodeFrame(0, 0, {'V', '3', 0, 'x', 'y'}), "V3"},
        {CodeFrame(0, 0, {'A'}), "A"}, // not the checksum after it
    };
    for (const auto& [reply, expected] : cases) {
        std::string text;
        channel.QueueBytes(reply);
        EXPECT_TRUE(link.GetFirmwareVersion(text));
        EXPECT_EQ(text, expected);
        EXPECT_EQ(channel.writes.back(), kFirmwareRequest);
    }

    std::string text = "keep";
    channel.QueueBytes(CodeFrame(0, 1, {'V', '1', '.', '2', '3'}));
    EXPECT_FALSE(link.GetFirmwareVersion(text));
    EXPECT_EQ(text, "keep");
}

TEST_F(CommandTest, FileCountIsTheByteAfterASuccessStatus)
{
    const std::tuple<Bytes, bool, int> cases[] = {
        {CodeFrame(0, 0, {0}), true, 0},
        {CodeFrame(1, 0, {3}), true, 3}, // the reply's type is not looked at
        {CodeFrame(0, 1, {5}), false, 0},
        {CodeFrame(0, 0, {}), false, 0}, // no count byte
        {{}, false, 0},                  // no reply
    };
    for (const auto& [reply, ok, expected] : cases) {
        std::uint8_t count = 99;
        channel.QueueBytes(reply);
        EXPECT_EQ(link.GetFileCount(count), ok);
        EXPECT_EQ(count, expected);
        EXPECT_EQ(channel.writes.back(), kFileCountRequest);
    }
    EXPECT_EQ(Sent(kAckFrame), 0);
}

TEST_F(CommandTest, QueriesOfAnAbsentDeviceTouchNothing)
{
    link.CloseBridge();
    std::uint8_t count = 99;
    std::string text = "keep";
    Bytes image{1, 2, 3};
    EXPECT_FALSE(link.GetFileCount(count));
    EXPECT_FALSE(link.GetFirmwareVersion(text));
    EXPECT_FALSE(link.DownloadImage(image));
    EXPECT_EQ(count, 99);
    EXPECT_EQ(text, "keep");
    EXPECT_EQ(image, (Bytes{1, 2, 3}));
    EXPECT_EQ(channel.writeAttempts + channel.readCalls, 0u);
}

} // namespace
} // namespace k4::test
