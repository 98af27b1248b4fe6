#include <algorithm>
#include <cstring>

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

    const Bytes kEnd = CodeFrame(0, 0, {});

    FakeBridgeLibrary bridges;
    FakeSerialChannel channel;
    RecordingSink messages;
    DeviceLink link{bridges, channel, messages};
};

// Each row: what the unit sends, each byte after `trickle` empty reads (an
// empty piece is a whole silence), then the next frame's first two bytes,
// which stay unread; whether the frame is good, the bytes it took, its type
// and the bytes left unread.
TEST_F(LinkTest, FrameReading)
{
    const Bytes header511{0x41, 0xFF}, header2{0x00, 0x02}, filler(600, 0xAA);
    const struct {
        std::vector<Bytes> pieces;
        int trickle;
        bool good;
        std::size_t read;
        std::uint16_t type;
        std::size_t left;
    } cases[] = {
        {{{0x00, 0x04, 0x00, 0x03, 0xFF, 0xF9}}, 0, true, 6, 0, 2},
        // C0+05+00+07+08 = 0xD4: the sum covers the type bits as they arrived.
        {{{0xC0, 0x05, 0x00, 0x07, 0x08, 0xFF, 0x2C}}, 0, true, 7, 3, 2},
        {{{0xC0, 0x05, 0x00, 0x07, 0x08, 0xFF, 0xEC}}, 0, false, 7, 3, 2}, // summed without them
        {{{0x00, 0x04, 0x00, 0x04, 0xFF, 0xF9}}, 0, false, 6, 0, 2},       // one byte changed
        {{{0x00, 0x04, 0x00, 0x03, 0xFF, 0xF9}}, kSilentReadLimit - 1, true, 6, 0, 2},
        {{{0x00, 0x04, 0x00}, {}, {0x03, 0xFF, 0xF9}}, 0, false, 0, 0, 5},
        {{Data(1, Pattern(kMaxFrameLength - 3, 1))}, 0, true, kFrameBufferSize, 1, 2}, // L 510 still fits
        // L 511: no room for the checksum; L 2: no code byte.
        {{header511, filler}, 0, false, 2, 1, 602},
        {{header2, filler}, 0, false, 2, 0, 602},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.pieces[0]));
        channel.script.clear();
        for (const Bytes& piece : c.pieces) {
            if (piece.empty())
                channel.QueueEmpty(kSilentReadLimit);
            for (std::uint8_t byte : piece) {
                channel.QueueEmpty(c.trickle);
                channel.QueueBytes({byte});
            }
        }
        channel.QueueBytes({0x00, 0x04});
        link.ReadFrame();
        EXPECT_EQ(link.ChecksumOk(), c.good);
        EXPECT_EQ(link.BytesRead(), c.read);
        EXPECT_EQ(link.FrameType(), c.type);
        EXPECT_EQ(channel.script.size(), c.left);
        std::uint16_t length;
        std::memcpy(&length, link.ReceivedFrame().data(), 2);
        EXPECT_TRUE(c.read <= 2 || length == c.read - 2) << "the length in host order";
        EXPECT_TRUE(c.read != 2 || link.ReceivedFrame()[2] == 0) << "no code byte taken";
    }
}

// --- The acknowledged transfer ---------------------------------------------

// Each row: the frames the unit sends (an empty one is a silence), the write
// attempt that fails, if any; whether the transfer is done, the image, the
// acknowledgements and refusals sent, the message shown and the bytes left
// unread. Data frame types decide where the transfer ends; the fifth bad
// frame in a row ends it, and a good frame starts the count again; the image
// takes exactly its capacity, and the frame that overflows it is neither
// acknowledged nor refused.
TEST_F(LinkTest, Transfers)
{
    const Bytes first = Pattern(200, 0x10), second = Pattern(100, 0x80), a = Pattern(4, 1), b = Pattern(4, 9);
    const Bytes noCode{0x40, 0x02}, bad = Corrupted(kEnd), full = Pattern(kMaxFrameData, 1);
    const std::size_t fullFrames = kImageCapacity / full.size(), roomLeft = kImageCapacity % full.size();
    std::vector<Bytes> fills(fullFrames, Data(1, full)), overfills = fills;
    fills.insert(fills.end(), {Data(2, Pattern(roomLeft, 7)), kEnd});
    overfills.insert(overfills.end(), {Data(2, Pattern(roomLeft + 1, 7)), kEnd});
    const auto Join = [](std::initializer_list<Bytes> parts) {
        Bytes joined;
        for (const Bytes& part : parts)
            joined.insert(joined.end(), part.begin(), part.end());
        return joined;
    };
    Bytes filled(kImageCapacity - roomLeft), overfilled;
    for (std::size_t at = 0; at < filled.size(); at += full.size())
        std::copy(full.begin(), full.end(), filled.begin() + at);
    overfilled = filled;
    filled = Join({filled, Pattern(roomLeft, 7)});
    const std::string timeout(text::kTimeoutMessage), sendFailed(text::kSendFailedMessage);
    // A missing frame counts as bad, and so does one without a code byte.
    std::vector<Bytes> fourBad{Data(1, a), Corrupted(Data(2, b)), {}, noCode, Data(2, b), bad, bad, bad, bad, kEnd};
    std::vector<Bytes> fiveBad = fourBad;
    fiveBad.insert(fiveBad.end() - 1, bad);
    const struct {
        std::vector<Bytes> frames;
        std::size_t failingWrite;
        bool done;
        Bytes image;
        int acks, naks;
        std::string shown;
        std::size_t left;
    } cases[] = {
        {{Data(1, first), Data(2, second), kEnd}, SIZE_MAX, true, Join({first, second}), 2, 0, "", 0},
        {{Data(3, first), kEnd}, SIZE_MAX, false, first, 1, 0, "", kEnd.size()}, // a lone type 3 is the whole reply
        {{Data(1, first), Data(3, second), kEnd}, SIZE_MAX, true, Join({first, second}), 2, 0, "", 0},
        {{Corrupted(Data(1, first)), kEnd}, SIZE_MAX, false, {}, 0, 1, "", kEnd.size()}, // refused once, quietly
        {fourBad, SIZE_MAX, true, Join({a, b}), 2, 7, "", 0},
        {fiveBad, SIZE_MAX, false, Join({a, b}), 2, 8, timeout, kEnd.size()},
        {fills, SIZE_MAX, true, filled, static_cast<int>(fullFrames) + 1, 0, "", 0},
        {overfills, SIZE_MAX, false, overfilled, static_cast<int>(fullFrames), 0, "", kEnd.size()},
        {{kEnd}, 0, false, {}, 0, 0, "", kEnd.size()}, // the request: nothing is read, nothing is shown
        {{Data(1, a), kEnd}, 1, false, a, 0, 0, sendFailed, kEnd.size()}, // the acknowledgement
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.frames.size()) + " frames");
        channel.script.clear();
        channel.writes.clear();
        channel.writeAttempts = 0;
        channel.failingWrite = c.failingWrite;
        messages.shown.clear();
        for (const Bytes& frame : c.frames) {
            if (frame.empty())
                channel.QueueEmpty(kSilentReadLimit);
            channel.QueueBytes(frame);
        }
        Download();
        EXPECT_EQ(link.TransferDone(), c.done);
        EXPECT_EQ(Image(), c.image);
        EXPECT_EQ(channel.writes.empty() ? Bytes{} : channel.writes[0],
                  c.failingWrite == 0 ? Bytes{} : kDownloadRequest);
        EXPECT_EQ(Sent(kAckWire), c.acks);
        EXPECT_EQ(Sent(kNakWire), c.naks);
        EXPECT_EQ(messages.shown, c.shown.empty() ? std::vector<std::string>{} : std::vector{c.shown});
        EXPECT_EQ(channel.script.size(), c.left);
    }
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

// The firmware version is at most five characters of the reply body; the
// file count is the byte after a success status, whatever the reply's type.
TEST_F(LinkTest, SingleFrameCommands)
{
    const struct {
        bool firmware;
        Bytes reply;
        bool ok;
        std::string result;
    } cases[] = {
        {true, CodeFrame(0, 0, {'V', '2', '.', '0', '0', '-', 'b'}), true, "V2.00"},
        {true, CodeFrame(0, 0, {'V', '3', 0, 'x', 'y'}), true, "V3"},
        {true, CodeFrame(0, 0, {'A'}), true, "A"}, // not the checksum after it
        {true, CodeFrame(0, 1, {'V', '1', '.', '2', '3'}), false, "keep"},
        {false, CodeFrame(0, 0, {0}), true, "0"},
        {false, CodeFrame(1, 0, {3}), true, "3"},
        {false, CodeFrame(0, 1, {5}), false, "0"},
        {false, CodeFrame(0, 0, {}), false, "0"}, // no count byte
        {false, {}, false, "0"},                  // no reply
    };
    for (const auto& c : cases) {
        std::string text = "keep";
        std::uint8_t count = 99;
        channel.QueueBytes(c.reply);
        EXPECT_EQ(c.firmware ? link.GetFirmwareVersion(text) : link.GetFileCount(count), c.ok);
        EXPECT_EQ(c.firmware ? text : std::to_string(count), c.result);
        EXPECT_EQ(channel.writes.back(), c.firmware ? kFirmwareRequest : kFileCountRequest);
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

} // namespace
} // namespace k4::test
