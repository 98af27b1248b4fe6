#include <gtest/gtest.h>

#include <algorithm>

#include "eventlog/event_codes.h"
#include "eventlog/event_decoding.h"
#include "eventlog/event_record.h"
#include "eventlog/log_image.h"

namespace k4 {
namespace {

// The readings, run times, rated voltages, flag bits and the other names
// boundaries show in the CSV rows here and in golden_sample and the
// report's EventRows; only the end of the protection names and
// the report's amps under a scale above 1 do not.
TEST(Decoding, TheLastProtectionParameterHasItsName)
{
    EXPECT_EQ(ParameterName(EVT_PROTECTION_CHANGE, 25), "Timeout for False Starts");
    EXPECT_FALSE(ParameterName(EVT_PROTECTION_CHANGE, 26).has_value());
    EXPECT_DOUBLE_EQ(AmpsFromRaw(200, 2), 1.25) << "only scale 1 is whole amps";
}

// What the writers get from an image of `size` bytes: header words in host
// order, and a table span that never leaves the gathered bytes.
TEST(ImagePreparation, HeaderWordsAndTheTableSpan)
{
    const struct {
        std::vector<std::uint8_t> header; // the image's first bytes
        std::size_t size;
        bool ok;
        std::uint16_t offset, length;
        std::size_t tableSize;
    } cases[] = {
        {{1, 0, 0, 0, 0, 0, 0x00, 0x20, 0x00, 0x15}, 40, true, 32, 21, 8},
        {{1, 0, 0, 0, 0, 0, 0x01, 0x00, 0x00, 0x15}, 40, true, 256, 21, 0}, // past the gathered bytes
        {{1, 0, 0, 0, 0, 0, 0x00, 0x20, 0x00, 0x15}, 10, true, 32, 21, 0},  // the header only
        {{1, 0, 0, 0, 0, 0, 0x00, 0x20, 0x00, 0x15}, 7, true, 0, 0, 0},     // cut off inside it
        {{0, 0, 0, 0, 0, 0, 0x00, 0x20, 0x00, 0x15}, 40, false, 0, 0, 0},
        {{}, 0, false, 0, 0, 0},
    };
    for (const auto& c : cases) {
        std::vector<std::uint8_t> image = c.header;
        image.resize(std::max<std::size_t>(c.size, 28));
        image[26] = 0x12;
        image[27] = 0x34;
        image.resize(c.size);
        EventTableArgs args;
        ASSERT_EQ(PrepareImageForWriters(image, args), c.ok) << c.size;
        EXPECT_EQ(args.tableOffset, c.offset) << c.size;
        EXPECT_EQ(args.tableLength, c.length);
        EXPECT_EQ(args.table.size(), c.tableSize);
        EXPECT_TRUE(c.tableSize == 0 || args.table.data() == image.data() + c.offset);
        EXPECT_TRUE(!c.ok || c.size < 28 || image[26] == 0x34); // converted in place too, though nobody reads it
    }
}

} // namespace
} // namespace k4
