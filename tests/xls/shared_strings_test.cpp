#include <gtest/gtest.h>

#include <string>

#include "report/xls/record_ids.h"
#include "report/xls/sst_writer.h"
#include "tests/xls/component_fixture.h"

using namespace k4xls;
using xlstest::Bytes;
using xlstest::U32;

// Each case fills the SST record (8224 bytes of data after 8 bytes of counts)
// so that the split falls on one of the rules; the rich string has ten runs.
TEST(SharedStrings, LongTablesGoOnInContinueRecordsByTheSplittingRules)
{
    struct Case {
        const char* rule;
        std::vector<std::u16string> plain;
        std::u16string rich; // after the plain strings
        std::size_t sstSize;
        Bytes continueStart;
        std::size_t continueSize;
    };
    const Case cases[] = {
        // 8 + 3 + 8000 leaves 213 bytes: the next header and 210 characters fit.
        {"one-byte characters go on after a 0x00 flag",
         {std::u16string(8000, u'a'), std::u16string(500, u'b'), u"tail"},
         u"",
         8224,
         {0x00, 'b'},
         1 + 290 + 3 + 4},
        // 8 + 3 + 8001 + 3 leaves 209 bytes: 104 two-byte characters, not 104.5.
        {"two-byte characters split between characters, 0x01 flag",
         {std::u16string(8001, u'a'), std::u16string(300, u'\u0416')},
         u"",
         8223,
         {0x01, 0x16, 0x04},
         1 + 2 * (300 - 104)},
        // 8 + 3 + 8210 leaves 3 bytes: a header fits, its first character not.
        {"header and first character stay together, no flag byte",
         {std::u16string(8210, u'a'), u"next"},
         u"",
         8 + 3 + 8210,
         {4, 0, 0x00, 'n'},
         3 + 4},
        // 8 + 5 + 8172 leaves 39 bytes: nine runs of 4 bytes fit.
        {"formatting runs are never split and take no flag byte",
         {},
         std::u16string(8172, u'r'),
         8 + 5 + 8172 + 36,
         {90, 0, 5, 0},
         4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rule);
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
