// The component's parts where a reader sees only the result: the compound
// file around streams of sizes that neither the sample report (golden_sample)
// nor the readers' edge workbooks pin down; the splitting of long shared
// string tables; and the formula compiler, whose accepted formulas the
// readers evaluate (check_report.py, FORMULAS), so here what it refuses and
// the tokens whose form no reader shows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "report/xls/compound_file.h"
#include "report/xls/formula_compiler.h"
#include "report/xls/record_ids.h"
#include "report/xls/sst_writer.h"
#include "tests/xls/com_holder.h"

using namespace k4xls;
using xlstest::Bytes;
using xlstest::U32;
using Tokens = std::vector<std::uint8_t>;

TEST(CompoundFile, StreamsOfEverySizeAreChainedWholeSectorsAndNeverInTheMiniStream)
{
    constexpr std::uint32_t kFree = 0xFFFFFFFF, kEnd = 0xFFFFFFFE, kFatSector = 0xFFFFFFFD;
    for (const auto& [size, sectors] :
         {std::pair<std::size_t, std::uint32_t>{0, 8}, {4096, 8}, {4097, 9}, {9 * 512 + 1, 10}, {200 * 512, 200}}) {
        SCOPED_TRACE(size);
        ByteBuffer stream;
        for (std::size_t i = 0; i < size; ++i)
            stream.U8(static_cast<std::uint8_t>(i * 7 + i / 512));
        PadWorkbookStream(stream);
        const CompoundFileFrame frame = FrameWorkbookStream(stream.Size());
        Bytes file = frame.header;
        file.insert(file.end(), stream.Data(), stream.Data() + stream.Size());
        file.insert(file.end(), frame.trailer.begin(), frame.trailer.end());

        const std::uint32_t fatSectors = (sectors + 2 + 127) / 128; // the stream, the FAT itself, the directory
        ASSERT_EQ(file.size(), 512u * (1 + sectors + fatSectors + 1));
        EXPECT_EQ(U32(file, 44), fatSectors);
        EXPECT_EQ(U32(file, 48), sectors + fatSectors); // the directory's sector
        for (std::uint32_t n = 0; n < 128 * fatSectors; ++n) {
            const std::uint32_t expected = n + 1 < sectors                            ? n + 1
                                           : n < sectors || n == sectors + fatSectors ? kEnd
                                           : n < sectors + fatSectors                 ? kFatSector
                                                                                      : kFree;
            ASSERT_EQ(U32(file, (U32(file, 76 + 4 * (n / 128)) + 1) * 512 + 4 * (n % 128)), expected) << "sector " << n;
        }
        for (std::uint32_t slot = fatSectors; slot < 109; ++slot)
            EXPECT_EQ(U32(file, 76 + 4 * slot), kFree) << slot;
        const std::size_t workbook = (U32(file, 48) + 1) * 512 + 128;
        EXPECT_EQ(U32(file, workbook + 116), 0u);
        EXPECT_EQ(U32(file, workbook + 120), 512 * sectors);
        EXPECT_TRUE(std::equal(stream.Data(), stream.Data() + size, file.begin() + 512));
    }
}

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

// The volatile marker leads even when NOW sits deep inside; whole numbers up
// to 65535 take the short integer token.
TEST(FormulaCompiler, TokensThatNoReaderShows)
{
    // =NOW() alone and small integers are in the sample report's formulas (golden_sample).
    const std::pair<std::u16string_view, Tokens> cases[] = {{u"=1+ABS(NOW())", {0x19, 0x01, 0x00, 0x00}},
                                                            {u"=65535", {0x1E, 0xFF, 0xFF}},
                                                            {u"=65536", {0x1F, 0, 0, 0, 0, 0, 0, 0xF0, 0x40}}};
    for (const auto& [text, start] : cases) {
        FormulaCompiler compiler;
        Tokens tokens;
        ASSERT_TRUE(compiler.Compile(text, tokens));
        EXPECT_EQ(Tokens(tokens.begin(), tokens.begin() + std::min(tokens.size(), start.size())), start)
            << std::string(text.begin(), text.end());
    }
}

TEST(FormulaCompiler, RejectsWhatItCannotCompileAndLeavesTheTokensAlone)
{
    std::u16string deep = u"=" + std::u16string(100, u'(') + u"1" + std::u16string(100, u')');
    std::u16string longChain = u"=1"; // deeper than the evaluator's bound
    for (int i = 0; i < 300; ++i)
        longChain += u"+1";
    std::u16string tooManyTokens = u"=MAX("; // over 1800 bytes of tokens
    for (int i = 0; i < 30; ++i)
        tooManyTokens += u"R1C1:R2C2*1.5+R1C1*1.5-R2C2*2.5+R3C3*3.5-R4C4*4.5+R5C5*5.5-R6C6*6.5;";
    tooManyTokens.back() = u')';

    const std::u16string rejected[] = {
        u"",        u"=",         u"=SUM(R1C1:R1C3)", u"=Foo",      u"=MAX(R1C1", u"=1+",       u"=1 2",   u"=1..2",
        u"=(1+2))", u"=R[1]C1",   u"=R0C1",           u"=R65537C1", u"=R1C257",   u"=R1C1:",    u"=R1C1X", u"=A1",
        u"=ABS()",  u"=ABS(1;2)", u"=NOW(1)",         u"=IF(1)",    u"=IF(1;;2)", u"=\"text\"", u"=1%",    deep,
        longChain,  tooManyTokens};
    for (const auto& text : rejected) {
        FormulaCompiler compiler;
        Tokens tokens = {0xAA};
        EXPECT_FALSE(compiler.Compile(text, tokens))
            << std::string(text.begin(), text.begin() + std::min<std::size_t>(text.size(), 40));
        EXPECT_EQ(tokens, Tokens{0xAA});
    }
}
