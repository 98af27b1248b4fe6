#include <gtest/gtest.h>

#include <string>

#include "report/xls/record_ids.h"
#include "report/xls/sst_writer.h"
#include "tests/xls/xls_file_reader.h"

using namespace k4xls;
using xlstest::U16;
using xlstest::U32;

namespace {

struct Written {
    std::vector<xlstest::Record> records;
    ByteBuffer stream;
};

// Writes the strings after a 100-byte lead-in, so that stream offsets and
// record offsets differ.
Written WriteTable(StringTable& table, const std::vector<std::uint32_t>& order)
{
    Written w;
    w.stream.Zeros(100);
    BiffWriter writer(w.stream);
    WriteSharedStrings(writer, table, order, static_cast<std::uint32_t>(order.size() + 3));
    ByteBuffer records;
    records.Append(w.stream.Data() + 100, w.stream.Size() - 100);
    w.records = xlstest::Records(records.Bytes());
    for (auto& r : w.records)
        r.offset += 100;
    return w;
}

std::u16string Repeated(char16_t c, std::size_t n) { return std::u16string(n, c); }

} // namespace

TEST(SharedStrings, StringCrossingTheRecordLimitGoesOnWithAWidthFlag)
{
    StringTable table;
    // 8 bytes of counts + 3 + 8000 leaves 213 bytes: the next string's
    // header and 210 of its characters fit, the rest continues.
    const std::vector<std::uint32_t> order = {table.AddPlain(Repeated(u'a', 8000)),
                                              table.AddPlain(Repeated(u'b', 500)), table.AddPlain(u"tail")};
    const Written w = WriteTable(table, order);

    ASSERT_GE(w.records.size(), 3u);
    EXPECT_EQ(w.records[0].id, rec::kSst);
    EXPECT_EQ(w.records[0].data.size(), 8224u);
    EXPECT_EQ(U32(w.records[0].data, 0), 6u); // references
    EXPECT_EQ(U32(w.records[0].data, 4), 3u); // distinct strings
    EXPECT_EQ(w.records[1].id, rec::kContinue);
    EXPECT_EQ(w.records[1].data[0], 0x00); // one-byte characters go on
    EXPECT_EQ(w.records[1].data.size(), 1u + 290 + 3 + 4);

    const auto strings = xlstest::DecodeSst(w.records, 0);
    ASSERT_EQ(strings.size(), 3u);
    EXPECT_EQ(strings[0].text, table.Text(order[0]));
    EXPECT_EQ(strings[1].text, table.Text(order[1]));
    EXPECT_EQ(strings[2].text, u"tail");
}

TEST(SharedStrings, TwoByteCharactersSplitOnlyBetweenCharacters)
{
    StringTable table;
    // Leaves an odd room of 8224 - 8 - 3 - 8001 - 3 = 209 bytes after the
    // wide string's header: 104 characters fit, not 104.5.
    const std::u16string wide = Repeated(u'\u0416', 300);
    const std::vector<std::uint32_t> order = {table.AddPlain(Repeated(u'a', 8001)), table.AddPlain(wide)};
    const Written w = WriteTable(table, order);

    ASSERT_EQ(w.records.size(), 3u); // SST, CONTINUE, EXTSST
    EXPECT_EQ(w.records[0].data.size(), 8224u - 1);
    EXPECT_EQ(w.records[1].data[0], 0x01); // two-byte characters go on
    EXPECT_EQ(w.records[1].data.size(), 1u + 2 * (300 - 104));
    const auto strings = xlstest::DecodeSst(w.records, 0);
    ASSERT_EQ(strings.size(), 2u);
    EXPECT_EQ(strings[1].text, wide);
}

TEST(SharedStrings, HeaderAndFirstCharacterAreNeverSplit)
{
    StringTable table;
    // 8 + (3 + 8210) leaves 3 bytes: a header fits, its first character not.
    const std::vector<std::uint32_t> order = {table.AddPlain(Repeated(u'a', 8210)), table.AddPlain(u"next")};
    const Written w = WriteTable(table, order);

    ASSERT_GE(w.records.size(), 2u);
    EXPECT_EQ(w.records[0].data.size(), 8 + 3 + 8210u);
    EXPECT_EQ(w.records[1].id, rec::kContinue);
    EXPECT_EQ(U16(w.records[1].data, 0), 4); // the string starts the record: no flag byte
    EXPECT_EQ(w.records[1].data[2], 0x00);
    EXPECT_EQ(xlstest::DecodeSst(w.records, 0).at(1).text, u"next");
}

TEST(SharedStrings, FormattingRunsAreNeverSplitAndTakeNoFlagByte)
{
    StringTable table;
    std::vector<RichRun> runs;
    for (std::uint16_t i = 0; i < 10; ++i)
        runs.push_back(RichRun{static_cast<std::uint16_t>(i * 10), static_cast<std::uint16_t>(5 + i % 3)});
    // 8 + 5 + 8172 characters leave 39 bytes: nine runs of 4 bytes fit.
    const std::vector<std::uint32_t> order = {table.AddRich(Repeated(u'r', 8172), runs)};
    const Written w = WriteTable(table, order);

    ASSERT_GE(w.records.size(), 2u);
    EXPECT_EQ(w.records[0].data.size(), 8 + 5 + 8172 + 36u);
    EXPECT_EQ(w.records[1].id, rec::kContinue);
    EXPECT_EQ(w.records[1].data.size(), 4u); // the last run alone, no flag byte
    EXPECT_EQ(U16(w.records[1].data, 0), 90);
    const auto strings = xlstest::DecodeSst(w.records, 0);
    ASSERT_EQ(strings.size(), 1u);
    ASSERT_EQ(strings[0].runs.size(), 10u);
    EXPECT_EQ(strings[0].runs[9], (std::pair<std::uint16_t, std::uint16_t>{90, 5}));
}

TEST(SharedStrings, ExtSstBucketsPointAtTheirStrings)
{
    StringTable table;
    std::vector<std::uint32_t> order;
    for (int i = 0; i < 3000; ++i)
        order.push_back(table.AddPlain(u"string number " + std::u16string(1, static_cast<char16_t>(u'A' + i % 26)) +
                                       std::u16string(static_cast<std::size_t>(i % 40), u'x') +
                                       std::u16string(1, static_cast<char16_t>(0x100 + i))));
    const Written w = WriteTable(table, order);
    const xlstest::Record& ext = w.records.back();
    ASSERT_EQ(ext.id, rec::kExtSst);

    const std::size_t perBucket = U16(ext.data, 0);
    EXPECT_EQ(perBucket, 24u); // 3000 strings in at most 128 buckets
    const std::size_t buckets = (ext.data.size() - 2) / 8;
    EXPECT_EQ(buckets, (order.size() + perBucket - 1) / perBucket);
    for (std::size_t b = 0; b < buckets; ++b) {
        const std::uint32_t streamOffset = U32(ext.data, 2 + 8 * b);
        const std::uint16_t inRecord = U16(ext.data, 6 + 8 * b);
        const std::u16string expected(table.Text(order[b * perBucket]));
        EXPECT_EQ(U16(w.stream.Bytes(), streamOffset), expected.size()) << b;
        // The record holding the string starts inRecord bytes before it.
        const std::size_t recordStart = streamOffset - inRecord;
        const std::uint16_t id = U16(w.stream.Bytes(), recordStart);
        EXPECT_TRUE(id == rec::kSst || id == rec::kContinue) << b;
    }
}
