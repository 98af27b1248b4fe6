#include "report/xls/compound_file.h"

#include <algorithm>
#include <cassert>

namespace k4xls {

namespace {

constexpr std::uint32_t kFreeSector = 0xFFFFFFFFu;
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFEu;
constexpr std::uint32_t kFatSector = 0xFFFFFFFDu;
constexpr std::uint32_t kDifatSector = 0xFFFFFFFCu;
constexpr std::uint32_t kNoStream = 0xFFFFFFFFu;

constexpr std::size_t kEntriesPerSector = kSectorSize / 4;
constexpr std::size_t kHeaderDifatSlots = 109;
constexpr std::size_t kDifatEntriesPerSector = kEntriesPerSector - 1; // last slot links on
constexpr std::size_t kDirectoryEntrySize = 128;

struct Layout {
    std::size_t streamSectors = 0;
    std::size_t fatSectors = 0;
    std::size_t difatSectors = 0;

    std::size_t FirstFat() const { return streamSectors; }
    std::size_t FirstDifat() const { return streamSectors + fatSectors; }
    std::size_t Directory() const { return streamSectors + fatSectors + difatSectors; }
    std::size_t TotalSectors() const { return Directory() + 1; }
};

std::size_t DivideRoundingUp(std::size_t value, std::size_t by)
{
    return (value + by - 1) / by;
}

// The FAT must also describe its own sectors and the DIFAT sectors, whose
// number depends on the FAT's size: grow both until they agree.
Layout PlanLayout(std::size_t streamSize)
{
    Layout layout;
    layout.streamSectors = streamSize / kSectorSize;
    for (;;) {
        const std::size_t fat = DivideRoundingUp(layout.TotalSectors(), kEntriesPerSector);
        const std::size_t difat =
            fat > kHeaderDifatSlots ? DivideRoundingUp(fat - kHeaderDifatSlots, kDifatEntriesPerSector) : 0;
        if (fat == layout.fatSectors && difat == layout.difatSectors)
            return layout;
        layout.fatSectors = fat;
        layout.difatSectors = difat;
    }
}

void WriteDirectoryEntry(ByteBuffer& out, const char* name, std::uint8_t type, std::uint32_t child, std::uint32_t start,
                         std::uint32_t size)
{
    const std::size_t at = out.Size();
    std::size_t nameBytes = 0;
    for (const char* c = name; *c; ++c) {
        out.U16(static_cast<std::uint8_t>(*c));
        nameBytes += 2;
    }
    out.U16(0);
    nameBytes += 2;
    out.Zeros(64 - nameBytes);
    out.U16(static_cast<std::uint16_t>(nameBytes));
    out.U8(type);
    out.U8(1); // black: a tree of one node
    out.U32(kNoStream);
    out.U32(kNoStream);
    out.U32(child);
    out.Zeros(16 + 4 + 8 + 8); // class id, state bits, two timestamps
    out.U32(start);
    out.U32(size);
    out.U32(0);
    assert(out.Size() - at == kDirectoryEntrySize);
    (void)at;
}

void WriteUnusedDirectoryEntry(ByteBuffer& out)
{
    out.Zeros(64 + 2 + 1 + 1);
    out.U32(kNoStream);
    out.U32(kNoStream);
    out.U32(kNoStream);
    out.Zeros(kDirectoryEntrySize - 80);
}

std::vector<std::uint8_t> MakeHeader(const Layout& layout)
{
    static const std::uint8_t kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    ByteBuffer out;
    out.Append(kSignature, sizeof kSignature);
    out.Zeros(16);   // class id
    out.U16(0x003E); // minor version
    out.U16(3);      // major version: 512-byte sectors
    out.U16(0xFFFE); // byte order mark
    out.U16(9);      // sector shift
    out.U16(6);      // mini sector shift
    out.Zeros(6);
    out.U32(0); // directory sector count: always 0 in version 3
    out.U32(static_cast<std::uint32_t>(layout.fatSectors));
    out.U32(static_cast<std::uint32_t>(layout.Directory()));
    out.U32(0); // transaction signature
    out.U32(static_cast<std::uint32_t>(kMiniStreamCutoff));
    out.U32(kEndOfChain); // no mini FAT
    out.U32(0);
    out.U32(layout.difatSectors ? static_cast<std::uint32_t>(layout.FirstDifat()) : kEndOfChain);
    out.U32(static_cast<std::uint32_t>(layout.difatSectors));
    for (std::size_t slot = 0; slot < kHeaderDifatSlots; ++slot)
        out.U32(slot < layout.fatSectors ? static_cast<std::uint32_t>(layout.FirstFat() + slot) : kFreeSector);
    assert(out.Size() == kSectorSize);
    return out.Bytes();
}

void WriteFat(ByteBuffer& out, const Layout& layout)
{
    for (std::size_t sector = 0; sector + 1 < layout.streamSectors; ++sector)
        out.U32(static_cast<std::uint32_t>(sector + 1));
    out.U32(kEndOfChain);
    for (std::size_t i = 0; i < layout.fatSectors; ++i)
        out.U32(kFatSector);
    for (std::size_t i = 0; i < layout.difatSectors; ++i)
        out.U32(kDifatSector);
    out.U32(kEndOfChain); // the directory's one sector
    const std::size_t used = layout.TotalSectors();
    for (std::size_t i = used; i < layout.fatSectors * kEntriesPerSector; ++i)
        out.U32(kFreeSector);
}

void WriteDifat(ByteBuffer& out, const Layout& layout)
{
    std::size_t fatIndex = kHeaderDifatSlots;
    for (std::size_t d = 0; d < layout.difatSectors; ++d) {
        for (std::size_t slot = 0; slot < kDifatEntriesPerSector; ++slot, ++fatIndex)
            out.U32(fatIndex < layout.fatSectors ? static_cast<std::uint32_t>(layout.FirstFat() + fatIndex)
                                                 : kFreeSector);
        const bool last = d + 1 == layout.difatSectors;
        out.U32(last ? kEndOfChain : static_cast<std::uint32_t>(layout.FirstDifat() + d + 1));
    }
}

} // namespace

void PadWorkbookStream(ByteBuffer& stream)
{
    const std::size_t wanted = std::max(kMiniStreamCutoff, DivideRoundingUp(stream.Size(), kSectorSize) * kSectorSize);
    stream.Zeros(wanted - stream.Size());
}

CompoundFileFrame FrameWorkbookStream(std::size_t streamSize)
{
    assert(streamSize % kSectorSize == 0 && streamSize >= kMiniStreamCutoff);
    const Layout layout = PlanLayout(streamSize);

    ByteBuffer trailer;
    trailer.Reserve((layout.fatSectors + layout.difatSectors + 1) * kSectorSize);
    WriteFat(trailer, layout);
    WriteDifat(trailer, layout);
    WriteDirectoryEntry(trailer, "Root Entry", 5, 1, kEndOfChain, 0);
    WriteDirectoryEntry(trailer, "Workbook", 2, kNoStream, 0, static_cast<std::uint32_t>(streamSize));
    WriteUnusedDirectoryEntry(trailer);
    WriteUnusedDirectoryEntry(trailer);
    assert(trailer.Size() == (layout.fatSectors + layout.difatSectors + 1) * kSectorSize);

    return CompoundFileFrame{MakeHeader(layout), trailer.Bytes()};
}

} // namespace k4xls
