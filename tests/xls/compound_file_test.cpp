// The compound file around workbook streams of sizes that neither the
// sample report (golden_sample) nor the readers' edge workbooks pin down:
// exactly at and just past a sector, and over one FAT sector.
#include <gtest/gtest.h>

#include "report/xls/compound_file.h"
#include "tests/xls/com_holder.h"

using namespace k4xls;
using xlstest::U32;

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
        xlstest::Bytes file = frame.header;
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
