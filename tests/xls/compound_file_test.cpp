#include <gtest/gtest.h>

#include "report/xls/compound_file.h"
#include "tests/xls/xls_file_reader.h"

using namespace k4xls;
using xlstest::Bytes;
using xlstest::U16;
using xlstest::U32;

namespace {

constexpr std::uint32_t kFree = 0xFFFFFFFF;
constexpr std::uint32_t kEnd = 0xFFFFFFFE;
constexpr std::uint32_t kFatSector = 0xFFFFFFFD;
constexpr std::uint32_t kDifatSector = 0xFFFFFFFC;

Bytes PatternStream(std::size_t size)
{
    ByteBuffer stream;
    for (std::size_t i = 0; i < size; ++i)
        stream.U8(static_cast<std::uint8_t>(i * 7 + i / 512));
    PadWorkbookStream(stream);
    return stream.Bytes();
}

Bytes WholeFile(const Bytes& stream)
{
    const CompoundFileFrame frame = FrameWorkbookStream(stream.size());
    Bytes file = frame.header;
    file.insert(file.end(), stream.begin(), stream.end());
    file.insert(file.end(), frame.trailer.begin(), frame.trailer.end());
    return file;
}

std::uint32_t FatEntry(const Bytes& file, std::uint32_t sector)
{
    const std::uint32_t fatSector = U32(file, 76); // the first FAT sector, from the header
    return U32(file, (fatSector + 1) * 512 + 4 * sector);
}

} // namespace

TEST(CompoundFile, PadsTheStreamToWholeSectorsAndAtLeastTheMiniStreamCutoff)
{
    ByteBuffer small;
    small.Zeros(100);
    PadWorkbookStream(small);
    EXPECT_EQ(small.Size(), 4096u);

    ByteBuffer large;
    large.Zeros(5000);
    PadWorkbookStream(large);
    EXPECT_EQ(large.Size(), 5120u);
}

TEST(CompoundFile, HeaderDescribesStreamFatAndDirectory)
{
    const Bytes file = WholeFile(PatternStream(4096)); // 8 stream sectors
    ASSERT_EQ(file.size(), 512u + 8 * 512 + 512 + 512);
    EXPECT_EQ(U32(file, 0), 0xE011CFD0u);
    EXPECT_EQ(U32(file, 4), 0xE11AB1A1u);
    EXPECT_EQ(U16(file, 24), 0x003E);
    EXPECT_EQ(U16(file, 26), 3);
    EXPECT_EQ(U16(file, 28), 0xFFFE);
    EXPECT_EQ(U16(file, 30), 9);
    EXPECT_EQ(U16(file, 32), 6);
    EXPECT_EQ(U32(file, 40), 0u);  // directory sectors: always 0 in version 3
    EXPECT_EQ(U32(file, 44), 1u);  // one FAT sector
    EXPECT_EQ(U32(file, 48), 9u);  // directory after the FAT
    EXPECT_EQ(U32(file, 56), 4096u);
    EXPECT_EQ(U32(file, 60), kEnd); // no mini FAT
    EXPECT_EQ(U32(file, 64), 0u);
    EXPECT_EQ(U32(file, 68), kEnd); // no DIFAT
    EXPECT_EQ(U32(file, 72), 0u);
    EXPECT_EQ(U32(file, 76), 8u);
    for (int slot = 1; slot < 109; ++slot)
        EXPECT_EQ(U32(file, 76 + 4 * slot), kFree) << slot;
}

TEST(CompoundFile, FatChainsTheStreamAndMarksItsOwnAndTheDirectorySectors)
{
    const Bytes file = WholeFile(PatternStream(10 * 512));
    for (std::uint32_t s = 0; s < 9; ++s)
        EXPECT_EQ(FatEntry(file, s), s + 1);
    EXPECT_EQ(FatEntry(file, 9), kEnd);
    EXPECT_EQ(FatEntry(file, 10), kFatSector);
    EXPECT_EQ(FatEntry(file, 11), kEnd); // the directory's one sector
    for (std::uint32_t s = 12; s < 128; ++s)
        EXPECT_EQ(FatEntry(file, s), kFree) << s;
}

TEST(CompoundFile, DirectoryHoldsRootAndWorkbookEntries)
{
    const Bytes stream = PatternStream(6000);
    const Bytes file = WholeFile(stream);
    const std::size_t dir = (U32(file, 48) + 1) * 512;

    EXPECT_EQ(U16(file, dir + 64), 22); // "Root Entry" and its terminator, in bytes
    EXPECT_EQ(U16(file, dir + 0), u'R');
    EXPECT_EQ(file[dir + 66], 5);
    EXPECT_EQ(U32(file, dir + 76), 1u); // child: the workbook entry
    EXPECT_EQ(U32(file, dir + 116), kEnd);
    EXPECT_EQ(U32(file, dir + 120), 0u);

    const std::size_t wb = dir + 128;
    EXPECT_EQ(U16(file, wb + 64), 18);
    EXPECT_EQ(file[wb + 66], 2);
    EXPECT_EQ(U32(file, wb + 68), kFree);
    EXPECT_EQ(U32(file, wb + 72), kFree);
    EXPECT_EQ(U32(file, wb + 76), kFree);
    EXPECT_EQ(U32(file, wb + 116), 0u);
    EXPECT_EQ(U32(file, wb + 120), stream.size());
    EXPECT_GE(stream.size(), 4096u);

    EXPECT_EQ(file[dir + 2 * 128 + 66], 0); // unused entries
    EXPECT_EQ(U32(file, dir + 3 * 128 + 76), kFree);
}

TEST(CompoundFile, StreamsBeyondTheHeaderFatSlotsUseDifatSectors)
{
    // 109 FAT sectors cover 13952 sectors; this stream needs more.
    const Bytes stream = PatternStream(14000 * 512);
    const Bytes file = WholeFile(stream);
    EXPECT_GT(U32(file, 44), 109u);
    EXPECT_EQ(U32(file, 72), 1u);
    const std::uint32_t difat = U32(file, 68);
    EXPECT_EQ(FatEntry(file, difat), kDifatSector);

    std::string problem;
    const Bytes read = xlstest::WorkbookStream(file, problem);
    EXPECT_EQ(problem, "");
    EXPECT_TRUE(read == stream);
}
