#include <gtest/gtest.h>

#include <string>

#include "report/xls/record_ids.h"
#include "report/xls/sst_writer.h"
#include "tests/xls/com_holder.h"

using namespace k4xls;
using xlstest::Bytes;
using xlstest::U32;

// Each case fills the SST record (8224 bytes of data after 8 bytes of counts)
// so that the split falls on one of the rules; the rich string has ten runs.
TEST(SharedStrings, LongTablesGoOnInContinueRecordsByTheSplittingRules)
{
    struct Case {
        std::size_t sstSize, continueSize;
        Bytes continueStart;
        std::u16string rich; // after the plain strings
        std::vector<std::u16string> plain;
    };
    const Case cases[] = {
        // One-byte characters go on after a 0x00 flag: 8 + 3 + 8000 leaves 213 bytes, the next header and 210
        // characters fit.
        {8224, 1 + 290 + 3 + 4, {0x00, 'b'}, u"", {std::u16string(8000, u'a'), std::u16string(500, u'b'), u"tail"}},
        // Two-byte characters split between characters, 0x01 flag: 8 + 3 + 8001 + 3 leaves 209 bytes, 104
        // characters, not 104.5.
        {8223,
         1 + 2 * (300 - 104),
         {0x01, 0x16, 0x04},
         u"",
         {std::u16string(8001, u'a'), std::u16string(300, u'\u0416')}},
        // A header and its first character stay together, no flag byte: 8 + 3 + 8210 leaves 3 bytes.
        {8 + 3 + 8210, 3 + 4, {4, 0, 0x00, 'n'}, u"", {std::u16string(8210, u'a'), u"next"}},
        // Formatting runs are never split and take no flag byte: 8 + 5 + 8172 leaves 39 bytes, nine runs.
        {8 + 5 + 8172 + 36, 4, {90, 0, 5, 0}, std::u16string(8172, u'r'), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        StringTable table;
        std::vector<std::uint32_t> order;
        for (const auto& text : c.plain)
            order.push_back(table.AddPlain(text));
        std::vector<RichRun> runs;
        for (std::uint16_t i = 0; i < 10; ++i)
            runs.push_back(RichRun{static_cast<std::uint16_t>(i * 10), static_cast<std::uint16_t>(5 + i % 3)});
        if (!c.rich.empty())
            order.push_back(table.AddRich(c.rich, runs));
        ByteBuffer stream;
        BiffWriter writer(stream);
        WriteSharedStrings(writer, table, order, static_cast<std::uint32_t>(order.size() + 3));
        const std::vector<xlstest::Record> records = xlstest::Records(stream.Bytes());

        ASSERT_EQ(records.size(), 3u); // SST, CONTINUE, EXTSST
        EXPECT_EQ(records[0].id, rec::kSst);
        EXPECT_EQ(records[0].data.size(), c.sstSize);
        EXPECT_EQ(U32(records[0].data, 0), order.size() + 3); // references
        EXPECT_EQ(U32(records[0].data, 4), order.size());     // distinct strings
        EXPECT_EQ(records[1].id, rec::kContinue);
        EXPECT_EQ(Bytes(records[1].data.begin(), records[1].data.begin() + c.continueStart.size()), c.continueStart);
        EXPECT_EQ(records[1].data.size(), c.continueSize);
    }
}
