#include <cstdio>
#include <gtest/gtest.h>
#include <regex>

#include "link/tracing_channel.h"
#include "tests/link/fakes.h"

namespace k4::test {
namespace {

std::string Hex(const Bytes& bytes)
{
    std::string text;
    char byte[4];
    for (std::uint8_t value : bytes) {
        std::snprintf(byte, sizeof byte, " %02x", value);
        text += byte;
    }
    return text;
}

// The trace of one file-count query, without its times.
std::vector<std::string> TraceOfFileCount(const std::function<void(FakeSerialChannel&)>& unit)
{
    auto fake = std::make_unique<FakeSerialChannel>();
    unit(*fake);
    std::FILE* out = std::tmpfile();
    TracingSerialChannel tracing(std::move(fake), out);
    FakeBridgeLibrary bridges;
    RecordingSink messages;
    DeviceLink link(bridges, tracing, messages);
    link.AdoptBridge(100);
    std::uint8_t count = 0;
    link.GetFileCount(count);

    std::rewind(out);
    std::vector<std::string> lines;
    char line[4096];
    while (std::fgets(line, sizeof line, out))
        lines.push_back(std::regex_replace(line, std::regex(R"(^frame: [0-9.]+ |\n$)"), ""));
    std::fclose(out);
    return lines;
}

TEST(TracingChannelTest, ShowsEachFrameByteForByteAndWhatTheCodecMadeOfIt)
{
    const Bytes reply = CodeFrame(0, 0, {7});
    Bytes damaged = reply;
    damaged[3] ^= 0x01;
    const std::string request = "tx" + Hex(kFileCountRequest) + " : type 0, L 3, code 0c, checksum good";
    const struct {
        const char* what;
        std::function<void(FakeSerialChannel&)> unit;
        std::vector<std::string> trace;
    } cases[] = {
        {"a good reply",
         [&](FakeSerialChannel& c) { c.QueueBytes(reply); },
         {"frame: line settings taken", request, "rx" + Hex(reply) + " : type 0, L 4, code 00, checksum good"}},
        {"a damaged reply",
         [&](FakeSerialChannel& c) { c.QueueBytes(damaged); },
         {"frame: line settings taken", request, "rx" + Hex(damaged) + " : type 0, L 4, code 00, checksum BAD"}},
        {"half a reply, then silence",
         [&](FakeSerialChannel& c) {
             c.QueueBytes({0x00, 0x04, 0x00});
         },
         {"frame: line settings taken", request, "rx 00 04 00 : type 0, L 4, incomplete; silence"}},
        {"a header the codec refuses",
         [&](FakeSerialChannel& c) {
             c.QueueBytes({0x80, 0x02});
         },
         {"frame: line settings taken", request, "rx 80 02 : type 2, L 2, refused (no room or no code)"}},
        {"a failed line",
         [&](FakeSerialChannel& c) { c.QueueFailure(); },
         {"frame: line settings taken", request, "rx read failed"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(TraceOfFileCount(c.unit), c.trace);
    }
}

} // namespace
} // namespace k4::test
