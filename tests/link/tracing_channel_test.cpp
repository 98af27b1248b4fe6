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

// The trace of one file-count query, without its times, against a unit
// that sends `reply` and then stays silent, or whose line fails.
std::vector<std::string> TraceOfFileCount(const Bytes& reply, bool lineFails)
{
    auto fake = std::make_unique<FakeSerialChannel>();
    fake->QueueBytes(reply);
    if (lineFails)
        fake->QueueFailure();
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
    const Bytes damaged = Corrupted(reply);
    const struct {
        Bytes reply;
        bool lineFails;
        std::string received;
    } cases[] = {
        {reply, false, "rx" + Hex(reply) + " : type 0, L 4, code 00, checksum good"},
        {damaged, false, "rx" + Hex(damaged) + " : type 0, L 4, code 00, checksum BAD"},
        {{0x00, 0x04, 0x00}, false, "rx 00 04 00 : type 0, L 4, incomplete; silence"},
        {{0x80, 0x02}, false, "rx 80 02 : type 2, L 2, refused (no room or no code)"},
        {{}, true, "rx read failed"},
    };
    for (const auto& c : cases) {
        const std::string request = "tx" + Hex(kFileCountRequest) + " : type 0, L 3, code 0c, checksum good";
        EXPECT_EQ(TraceOfFileCount(c.reply, c.lineFails),
                  (std::vector<std::string>{"frame: line settings taken", request, c.received}));
    }
}

} // namespace
} // namespace k4::test
