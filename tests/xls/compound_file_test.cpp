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

// A stream of `size` bytes, padded and framed as the file holds it.
Bytes WholeFile(std::size_t size)
{
    ByteBuffer stream;
    for (std::size_t i = 0; i < size; ++i)
        stream.U8(static_cast<std::uint8_t>(i * 7 + i / 512));
    PadWorkbookStream(stream);
    const CompoundFileFrame frame = FrameWorkbookStream(stream.Size());
    Bytes file = frame.header;
    file.insert(file.end(), stream.Data(), stream.Data() + stream.Size());
    file.insert(file.end(), frame.trailer.begin(), frame.trailer.end());
    return file;
}

} // namespace

TEST(CompoundFile, HeaderDescribesStreamFatAndDirectory)
{
    const Bytes file = WholeFile(4096); // stream in sectors 0-7, FAT in 8, directory in 9
    ASSERT_EQ(file.size(), 512u + 8 * 512 + 512 + 512);
    const std::pair<std::size_t, std::uint32_t> fields32[] = {
        {0, 0xE011CFD0}, {4, 0xE11AB1A1}, // signature
        {40, 0},                          // directory sectors: 0 in version 3
        {44, 1},                          // FAT sectors
        {48, 9},                          // first directory sector
        {56, 4096},                       // mini stream cutoff
        {60, kEnd},      {64, 0},         // no mini FAT
        {68, kEnd},      {72, 0},         // no DIFAT
        {76, 8},                          // the FAT sector
    };
    for (const auto& [at, value] : fields32)
        EXPECT_EQ(U32(file, at), value) << "offset " << at;
    const std::pair<std::size_t, std::uint16_t> fields16[] = {
        {24, 0x003E}, {26, 3}, {28, 0xFFFE}, {30, 9}, {32, 6}}; // versions, byte order, sector shifts
    for (const auto& [at, value] : fields16)
        EXPECT_EQ(U16(file, at), value) << "offset " << at;
    for (int slot = 1; slot < 109; ++slot)
        EXPECT_EQ(U32(file, 76 + 4 * slot), kFree) << slot;
}

TEST(CompoundFile, FatChainsTheStreamPaddedToWholeSectorsAndMarksFatAndDirectory)
{
    const Bytes file = WholeFile(9 * 512 + 1); // padded to 10 sectors
    const auto fat = [&](std::uint32_t sector) { return U32(file, (U32(file, 76) + 1) * 512 + 4 * sector); };
    for (std::uint32_t s = 0; s < 9; ++s)
        EXPECT_EQ(fat(s), s + 1);
    EXPECT_EQ(fat(9), kEnd);
    EXPECT_EQ(fat(10), 0xFFFFFFFDu); // the FAT's own sector
    EXPECT_EQ(fat(11), kEnd);        // the directory's one sector
    for (std::uint32_t s = 12; s < 128; ++s)
        EXPECT_EQ(fat(s), kFree) << s;
}

TEST(CompoundFile, DirectoryHoldsRootAndAWorkbookStreamOfAtLeast4096Bytes)
{
    for (const std::size_t size : {0, 100, 4097}) {
        const Bytes file = WholeFile(size);
        const std::size_t root = (U32(file, 48) + 1) * 512, workbook = root + 128;
        EXPECT_EQ(U16(file, root + 64), 22); // "Root Entry" and its terminator, in bytes
        EXPECT_EQ(file[root + 66], 5);
        EXPECT_EQ(U32(file, root + 76), 1u); // child: the workbook entry
        EXPECT_EQ(U32(file, root + 116), kEnd);
        EXPECT_EQ(U32(file, root + 120), 0u);

        std::u16string name;
        for (std::size_t i = 0; i + 2 < U16(file, workbook + 64); i += 2)
            name += static_cast<char16_t>(U16(file, workbook + i));
        EXPECT_EQ(name, u"Workbook");
        EXPECT_EQ(file[workbook + 66], 2); // a stream
        for (const std::size_t link : {68, 72, 76})
            EXPECT_EQ(U32(file, workbook + link), kFree); // no siblings, no child
        EXPECT_EQ(U32(file, workbook + 116), 0u);
        EXPECT_EQ(U32(file, workbook + 120), size <= 4096 ? 4096u : 4608u) << size; // never in the mini stream

        EXPECT_EQ(file[root + 2 * 128 + 66], 0); // unused entries
        EXPECT_EQ(U32(file, root + 3 * 128 + 76), kFree);
    }
}
