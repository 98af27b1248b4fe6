#include <algorithm>
#include <cstring>
#include <tuple>

#include <gtest/gtest.h>

#include "tests/link/fakes.h"
#include "common/texts.h"

namespace k4::test {
namespace {

// A link over fakes, its bridge adopted as after a match.
class LinkTest : public testing::Test {
protected:
    static constexpr BridgeHandle kHandle = 42;

    void SetUp() override { link.AdoptBridge(kHandle); }

    int Sent(const Bytes& frame) const
    {
        return static_cast<int>(std::count(channel.writes.begin(), channel.writes.end(), frame));
    }
    void Download()
    {
        std::memset(&link.RequestFrame()[0], 0, 2);
        link.RequestFrame()[2] = CMD_DOWNLOAD;
        link.Transact(true);
    }
    Bytes Image() const { return {link.Image().begin(), link.Image().end()}; }

    static Bytes Data(unsigned type, const Bytes& data) { return CodeFrame(type, 0, data); }
    static Bytes Corrupted(Bytes frame)
    {
        frame[3] ^= 0x01;
        return frame;
    }

    const Bytes kEnd = CodeFrame(0, 0, {});

    FakeBridgeLibrary bridges;
    FakeSerialChannel channel;
    RecordingSink messages;
    DeviceLink link{bridges, channel, messages};
};

// --- Frame reading ---------------------------------------------------------

TEST_F(LinkTest, FrameEndsAfterLengthPlusTwoBytesAndIsGoodOnlyWithItsChecksum)
{
    struct Case {
        Bytes bytes;
        bool good;
        std::uint16_t type;
    };
    const Case cases[] = {
        {{0x00, 0x04, 0x00, 0x03, 0xFF, 0xF9}, true, 0},
        // C0+05+00+07+08 = 0xD4: the sum covers the type bits as they arrived.
        {{0xC0, 0x05, 0x00, 0x07, 0x08, 0xFF, 0x2C}, true, 3},
        {{0xC0, 0x05, 0x00, 0x07, 0x08, 0xFF, 0xEC}, false, 3}, // summed without them
        {{0x00, 0x04, 0x00, 0x04, 0xFF, 0xF9}, false, 0},       // one byte changed
    };
    for (const Case& c : cases) {
        channel.script.clear();
        channel.QueueBytes(c.bytes);
        channel.QueueBytes({0x00, 0x04}); // the next frame's start stays unread
        link.ReadFrame();
        EXPECT_EQ(link.ChecksumOk(), c.good);
        EXPECT_EQ(link.BytesRead(), c.bytes.size());
        EXPECT_EQ(link.FrameType(), c.type);
        std::uint16_t length;
        std::memcpy(&length, link.ReceivedFrame().data(), 2);
        EXPECT_EQ(length, c.bytes.size() - 2) << "the length in host order";
        EXPECT_EQ(channel.script.size(), 2u);
    }
}

TEST_F(LinkTest, SilenceEndsTheReadOnlyAfter500EmptyReads)
{
    for (std::uint8_t byte : {0x00, 0x04, 0x00, 0x03, 0xFF, 0xF9}) {
        channel.QueueEmpty(kSilentReadLimit - 1);
        channel.QueueBytes({byte});
    }
    link.ReadFrame();
    EXPECT_TRUE(link.ChecksumOk()) << "trickled bytes still make a frame";

    channel.QueueBytes({0x00, 0x04, 0x00});
    channel.QueueEmpty(kSilentReadLimit);
    channel.QueueBytes({0x03, 0xFF, 0xF9});
    link.ReadFrame();
    EXPECT_FALSE(link.ChecksumOk());
    EXPECT_EQ(link.BytesRead(), 0u);
    EXPECT_EQ(channel.script.size(), 3u);
}

TEST_F(LinkTest, FrameLengthsTheBufferCannotHoldEndTheReadAtTheHeader)
{
    channel.QueueBytes(Data(1, Pattern(kMaxFrameLength - 3, 1)));
    link.ReadFrame();
    EXPECT_TRUE(link.ChecksumOk()) << "L 510 still fits";
    EXPECT_EQ(link.BytesRead(), kFrameBufferSize);

    // L 511: no room for the checksum; L 2: no code byte.
    for (const Bytes& header : {Bytes{0x41, 0xFF}, Bytes{0x00, 0x02}}) {
        channel.script.clear();
        channel.QueueBytes(header);
        channel.QueueBytes(Bytes(600, 0xAA));
        link.ReadFrame();
        EXPECT_FALSE(link.ChecksumOk());
        EXPECT_EQ(link.BytesRead(), 2u);
        EXPECT_EQ(channel.script.size(), 600u);
        EXPECT_EQ(link.ReceivedFrame()[2], 0);
    }
}

// --- The acknowledged transfer ---------------------------------------------

TEST_F(LinkTest, DataFrameTypesDecideWhereTheTransferEnds)
{
    struct Case {
        std::vector<Bytes> frames;
        bool done;
        Bytes image;
        int acks;
    };
    const Bytes first = Pattern(200, 0x10), second = Pattern(100, 0x80);
    Bytes both = first;
    both.insert(both.end(), second.begin(), second.end());
    const Case cases[] = {
        {{Data(1, first), Data(2, second), kEnd}, true, both, 2},
        {{Data(3, first), kEnd}, false, first, 1}, // a lone type 3 is the whole reply
        {{Data(1, first), Data(3, second), kEnd}, true, both, 2},
    };
    for (const Case& c : cases) {
        channel.script.clear();
        channel.writes.clear();
        for (const Bytes& frame : c.frames)
            channel.QueueBytes(frame);
        Download();
        EXPECT_EQ(link.TransferDone(), c.done);
        EXPECT_EQ(Image(), c.image);
        std::vector<Bytes> expected{kDownloadRequest};
        expected.insert(expected.end(), c.acks, kAckWire);
        EXPECT_EQ(channel.writes, expected);
        EXPECT_EQ(channel.script.size(), c.done ? 0u : kEnd.size());
    }
}

TEST_F(LinkTest, FifthBadFrameInARowEndsTheTransferAndAGoodFrameResetsTheCount)
{
    for (const int badAtTheEnd : {kBadFrameLimit - 1, kBadFrameLimit}) {
        channel.QueueBytes(Data(1, Pattern(4, 1)));
        channel.QueueBytes(Corrupted(Data(2, Pattern(4, 9))));
        channel.QueueEmpty(kSilentReadLimit); // a missing frame counts as bad
        channel.QueueBytes({0x40, 0x02});     // so does one without a code byte
        channel.QueueBytes(Data(2, Pattern(4, 9)));
        for (int i = 0; i < badAtTheEnd; ++i)
            channel.QueueBytes(Corrupted(kEnd));
        channel.QueueBytes(kEnd);
        Download();
        const bool timedOut = badAtTheEnd == kBadFrameLimit;
        EXPECT_EQ(link.TransferDone(), !timedOut);
        EXPECT_EQ(Image(), (Bytes{1, 2, 3, 4, 9, 10, 11, 12}));
        EXPECT_EQ(Sent(kNakWire), 3 + badAtTheEnd);
        EXPECT_EQ(messages.shown,
                  timedOut ? std::vector<std::string>{std::string(text::kTimeoutMessage)} : std::vector<std::string>{});
        EXPECT_EQ(channel.script.size(), timedOut ? kEnd.size() : 0u);
        channel.script.clear();
        channel.writes.clear();
    }
}

TEST_F(LinkTest, BadFirstFrameIsRefusedOnceAndQuietly)
{
    channel.QueueBytes(Corrupted(Data(1, Pattern(4, 1))));
    channel.QueueBytes(kEnd);
    Download();
    EXPECT_FALSE(link.TransferDone());
    EXPECT_EQ(channel.writes, (std::vector<Bytes>{kDownloadRequest, kNakWire}));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(LinkTest, ImageTakesExactlyItsCapacityAndNoByteMore)
{
    const Bytes fullData = Pattern(kMaxFrameLength - kMinFrameLength, 1);
    const std::size_t fullFrames = kImageCapacity / fullData.size();
    const std::size_t roomLeft = kImageCapacity - fullFrames * fullData.size();

    for (std::size_t lastSize : {roomLeft, roomLeft + 1}) {
        const bool fits = lastSize == roomLeft;
        channel.writes.clear();
        for (std::size_t i = 0; i < fullFrames; ++i)
            channel.QueueBytes(Data(1, fullData));
        channel.QueueBytes(Data(2, Pattern(lastSize, 7)));
        channel.QueueBytes(kEnd);
        Download();
        EXPECT_EQ(link.TransferDone(), fits);
        EXPECT_EQ(link.ImageLength(), fits ? kImageCapacity : kImageCapacity - roomLeft);
        // The overflowing frame is neither acknowledged nor refused.
        EXPECT_EQ(Sent(kAckWire), static_cast<int>(fullFrames + (fits ? 1 : 0)));
        EXPECT_EQ(Sent(kNakWire), 0);
        EXPECT_EQ(channel.script.size(), fits ? 0u : kEnd.size());
        channel.script.clear();
    }
}

TEST_F(LinkTest, FailedWritesEndTheExchange)
{
    channel.failingWrite = 0; // the request: nothing is read, nothing is shown
    Download();
    EXPECT_EQ(channel.readCalls, 0);
    EXPECT_TRUE(messages.shown.empty());

    channel.failingWrite = 2; // the acknowledgement
    channel.QueueBytes(Data(1, Pattern(4, 1)));
    channel.QueueBytes(kEnd);
    Download();
    EXPECT_FALSE(link.TransferDone());
    EXPECT_EQ(messages.shown, std::vector<std::string>{std::string(text::kSendFailedMessage)});
    EXPECT_EQ(channel.script.size(), kEnd.size());
}

TEST_F(LinkTest, ReadFailureClosesTheBridgeOnceAndLaterExchangesDoNothing)
{
    channel.QueueBytes(Data(1, Pattern(4, 1)));
    channel.QueueBytes({0x00, 0x04});
    channel.QueueFailure();
    Download();
    EXPECT_FALSE(link.TransferDone());
    EXPECT_FALSE(link.State().m_bDevicePresent);
    EXPECT_EQ(link.State().m_hDevice, kNoBridge);
    // The refusal of the lost frame can no longer be sent.
    EXPECT_EQ(messages.shown, std::vector<std::string>{std::string(text::kSendFailedMessage)});

    const int readsBefore = channel.readCalls;
    channel.QueueBytes(kEnd);
    Download();
    link.CloseBridge();
    EXPECT_EQ(channel.writes, (std::vector<Bytes>{kDownloadRequest, kAckWire}));
    EXPECT_EQ(channel.readCalls, readsBefore);
    EXPECT_EQ(bridges.closes, (std::map<BridgeHandle, int>{{kHandle, 1}}));
}

// --- The single-frame commands ---------------------------------------------

TEST_F(LinkTest, FirmwareVersionIsAtMostFiveCharactersOfTheReplyBody)
{
    const std::tuple<Bytes, bool, std::string> cases[] = {
        {CodeFrame(0, 0, {'V', '2', '.', '0', '0', '-', 'b'}), true, "V2.00"},
        {CodeFrame(0, 0, {'V', '3', 0, 'x', 'y'}), true, "V3"},
        {CodeFrame(0, 0, {'A'}), true, "A"}, // not the checksum after it
        {CodeFrame(0, 1, {'V', '1', '.', '2', '3'}), false, "keep"},
    };
    for (const auto& [reply, ok, expected] : cases) {
        std::string text = "keep";
        channel.QueueBytes(reply);
        EXPECT_EQ(link.GetFirmwareVersion(text), ok);
        EXPECT_EQ(text, expected);
        EXPECT_EQ(channel.writes.back(), kFirmwareRequest);
    }
}

TEST_F(LinkTest, FileCountIsTheByteAfterASuccessStatus)
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
    EXPECT_EQ(Sent(kAckWire), 0);
}

TEST(LinkSettingsTest, RefusedLineSettingsAreNotedOnceAndThePassGoesOn)
{
    FakeBridgeLibrary bridges;
    FakeSerialChannel channel;
    channel.configureTaken = false;
    RecordingSink messages;
    DeviceLink link(bridges, channel, messages);
    link.AdoptBridge(7);
    link.CloseBridge();
    link.AdoptBridge(8);
    EXPECT_TRUE(link.State().m_bDevicePresent);
    EXPECT_EQ(channel.configured, (std::vector<BridgeHandle>{7, 8}));
    ASSERT_EQ(messages.notes.size(), 1u);
    EXPECT_NE(messages.notes[0].find("128000"), std::string::npos);
    EXPECT_TRUE(messages.shown.empty()) << "a note, not a message box";
}

TEST(LinkSettingsTest, ProtocolControlFramesAreTheWireBytes)
{
    EXPECT_EQ(Bytes(kAckFrame.begin(), kAckFrame.end()), kAckWire);
    EXPECT_EQ(Bytes(kNakFrame.begin(), kNakFrame.end()), kNakWire);
}

} // namespace
} // namespace k4::test
